#include "tools/core/authenticode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "installer/core/samplesignature.h"
#include "plib/perror.h"

namespace {

using sample::Bytes;
using sample::Shape;

bool Covered(const std::vector<FileRange>& ranges, std::uint32_t at) {
    for (const FileRange& range : ranges) {
        if (at >= range.offset && at - range.offset < range.length) return true;
    }
    return false;
}

TEST(AuthenticodeRanges, EverythingBeforeTheTableButTwoFields) {
    for (bool pe64 : {false, true}) {
        const Bytes file = sample::SignedPe(pe64);
        const PeLayout layout = ReadPeLayout(file);
        const std::vector<FileRange> ranges = AuthenticodeRanges(layout);
        std::uint32_t covered = 0;
        for (std::uint32_t at = 0; at < file.size(); ++at) {
            const bool checksum = at >= layout.checksumField && at < layout.checksumField + 4;
            const bool security = at >= layout.securityEntry && at < layout.securityEntry + 8;
            const bool table = at >= layout.tableOffset;
            EXPECT_EQ(Covered(ranges, at), !checksum && !security && !table) << at;
            covered += Covered(ranges, at);
        }
        // In file order, without overlaps.
        std::uint32_t total = 0, end = 0;
        for (const FileRange& range : ranges) {
            EXPECT_GE(range.offset, end);
            end = range.offset + range.length;
            total += range.length;
        }
        EXPECT_EQ(total, covered);
    }
}

Shape Nested(Shape inner, const Bytes& algorithm, std::uint8_t seed) {
    Shape outer;
    outer.digestAlgorithm = algorithm;
    outer.digest = sample::Filler(algorithm == sample::kSha1 ? 20 : 32, seed);
    outer.unauthenticated = true;
    outer.attributes = sample::Cat({sample::Attribute(sample::kTimestamp, sample::Filler(40, 1)),
                                    sample::Attribute(sample::kNested, sample::Signature(inner))});
    return outer;
}

TEST(SignedImageDigests, OwnThenNested) {
    Shape inner;
    inner.digest = sample::Filler(32, 0x77);
    const Shape outer = Nested(inner, sample::kSha1, 0x55);
    const std::vector<SignedDigest> digests =
        SignedImageDigests(sample::Entry(sample::Signature(outer), 0));
    ASSERT_EQ(digests.size(), 2u);
    EXPECT_EQ(digests[0].algorithm, "sha1");
    EXPECT_EQ(digests[0].digest, sample::Filler(20, 0x55));
    EXPECT_FALSE(digests[0].nested);
    EXPECT_EQ(digests[1].algorithm, "sha256");
    EXPECT_EQ(digests[1].digest, sample::Filler(32, 0x77));
    EXPECT_TRUE(digests[1].nested);
}

TEST(SignedImageDigests, NamesTheAlgorithms) {
    const struct {
        Bytes oid;
        const char* name;
    } cases[] = {
        {{0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02}, "sha384"},
        {{0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03}, "sha512"},
        {{0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x02, 0x05}, "OID 2a864886f70d0205"},  // MD5
    };
    for (const auto& c : cases) {
        Shape shape;
        shape.digestAlgorithm = c.oid;
        EXPECT_EQ(SignedImageDigests(sample::Entry(sample::Signature(shape), 0))[0].algorithm,
                  c.name);
    }
}

TEST(SignedImageDigests, Refusals) {
    Shape deep;
    for (int level = 0; level < 6; ++level) deep = Nested(deep, sample::kSha256, 3);
    EXPECT_THROW(SignedImageDigests(sample::Entry(sample::Signature(deep), 0)), PInternalError);
    // The image digest's OCTET STRING made a NULL of the same length.
    Bytes noDigest = sample::Entry(sample::Signature({}), 0);
    const Bytes digest = {0x04, 0x20, 0x11};
    const auto at = std::search(noDigest.begin(), noDigest.end(), digest.begin(), digest.end());
    ASSERT_NE(at, noDigest.end());
    *at = 0x05;
    try {
        SignedImageDigests(noDigest);
        ADD_FAILURE() << "accepted";
    } catch (const PInternalError& e) {
        EXPECT_STREQ(e.why(), "The signature's signed content is not an image digest");
    }
    EXPECT_THROW(SignedImageDigests(Bytes(7, 0)), PInternalError);
    EXPECT_THROW(SignedImageDigests(sample::Entry({0x30, 0x03, 0x02, 0x01, 0x01}, 0)),
                 PInternalError);
}

}  // namespace
