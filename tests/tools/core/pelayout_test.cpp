#include "tools/core/pelayout.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "installer/core/samplesignature.h"

namespace {

using sample::Bytes;
using sample::kOptional;

// The checksum as it is defined: words added one at a time, folded after each.
std::uint32_t FoldingChecksum(const Bytes& file, std::size_t field) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        const auto byteAt = [&](std::size_t at) -> std::uint32_t {
            return at < file.size() && (at < field || at >= field + 4) ? file[at] : 0;
        };
        sum += byteAt(i) | byteAt(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<std::uint32_t>(file.size());
}

TEST(PeLayout, FindsTheFieldsAndTheTable) {
    for (bool pe64 : {false, true}) {
        const Bytes file = sample::SignedPe(pe64);
        const PeLayout layout = ReadPeLayout(file);
        EXPECT_EQ(layout.checksumField, kOptional + 64);
        EXPECT_EQ(layout.securityEntry, sample::SecurityEntry(pe64));
        EXPECT_EQ(layout.imageEnd, sample::kImageEnd);
        EXPECT_EQ(layout.tableOffset, sample::kImageEnd);
        EXPECT_EQ(layout.tableSize, file.size() - sample::kImageEnd);
        EXPECT_EQ(LastCertificateEntry(file, layout), sample::kImageEnd);
        EXPECT_FALSE(ReadPeLayout(sample::Pe(pe64, {})).signedFile());
    }
}

TEST(PeLayout, LastEntryOfSeveral) {
    const Bytes first = sample::Entry(Bytes(13, 0x30), 0);  // 21 bytes, padded to 24
    const Bytes second = sample::Entry(sample::Signature({}), 0);
    const Bytes file = sample::Pe(false, sample::Cat({first, second}));
    EXPECT_EQ(LastCertificateEntry(file, ReadPeLayout(file)), sample::kImageEnd + 24);
}

TEST(PeChecksum, FoldsWordsAndAddsTheLength) {
    // Words 0x0201 + 0xFFFF fold to 0x0201; odd last byte 0x05; field at 4 skipped.
    const Bytes bytes = {0x01, 0x02, 0xFF, 0xFF, 0xAA, 0xBB, 0xCC, 0xDD, 0x05};
    EXPECT_EQ(PeChecksum(bytes, 4), 0x0201u + 0x05u + 9u);
    // Nothing but zero words folds to zero; a sum that is a multiple of 0xFFFF to 0xFFFF.
    EXPECT_EQ(PeChecksum(Bytes(6, 0), 0), 6u);
    EXPECT_EQ(PeChecksum(Bytes{0, 0, 0, 0, 0xFF, 0xFF}, 0), 0xFFFFu + 6u);
}

TEST(PeChecksum, AgreesWithFoldingWordByWord) {
    std::mt19937 random(7);
    for (std::size_t size : {0u, 1u, 2u, 7u, 64u, 4097u, 70001u}) {
        Bytes file(size);
        for (auto& b : file) b = static_cast<std::uint8_t>(random() % 3 == 0 ? 0xFF : random());
        for (std::size_t field : {std::size_t{0}, std::size_t{3}, size / 2}) {
            EXPECT_EQ(PeChecksum(file, static_cast<std::uint32_t>(field)),
                      FoldingChecksum(file, field))
                << size << " " << field;
        }
    }
}

TEST(PeWordSum, PartsAddUpToTheWhole) {
    std::mt19937 random(11);
    Bytes file(1001);
    for (auto& b : file) b = static_cast<std::uint8_t>(random());
    const std::uint64_t whole = PeWordSum(file, 0);
    for (std::size_t cut : {0u, 1u, 2u, 500u, 999u, 1001u}) {
        const std::span<const std::uint8_t> all(file);
        EXPECT_EQ(PeWordSum(all.first(cut), 0) + PeWordSum(all.subspan(cut), cut), whole) << cut;
    }
    // A byte at an odd position is a word's high byte.
    EXPECT_EQ(PeWordSum(Bytes{1}, 1), 0x100u);
    EXPECT_EQ(PeWordSum(Bytes{1, 2}, 1), 0x100u + 2u);
}

}  // namespace
