#include "installer/core/trackingtag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capturelog.h"
#include "installer/core/littleendian.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPe = 0x40;
constexpr std::uint32_t kOptional = kPe + 24;

void Put32(Bytes& file, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t SecurityEntry(bool pe64) {
    return kOptional + (pe64 ? 112 : 96) + 4 * 8;
}

constexpr std::uint32_t kSectionData = 0x180;
constexpr std::uint32_t kImageEnd = 0x200;

// A PE image whose one section fills 0x180..0x200; `signatureBytes` > 0 adds a certificate
// table holding one entry with a DER sequence of that many content bytes. A non-zero checksum
// is set when asked.
Bytes MakePe(bool pe64, std::uint32_t signatureBytes, bool withChecksum = false) {
    const std::uint32_t optionalSize = pe64 ? 240 : 224;
    Bytes file(kImageEnd, 0);
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, kPe);
    Put32(file, kPe, 0x00004550);
    file[kPe + 4] = 0x4C;
    file[kPe + 5] = 0x01;
    file[kPe + 6] = 1;  // one section
    file[kPe + 20] = static_cast<std::uint8_t>(optionalSize);
    file[kOptional] = 0x0B;
    file[kOptional + 1] = pe64 ? 0x02 : 0x01;
    Put32(file, kOptional + 60, kSectionData);  // SizeOfHeaders
    Put32(file, kOptional + (pe64 ? 108 : 92), 16);
    const std::uint32_t section = kOptional + optionalSize;
    Put32(file, section + 16, kImageEnd - kSectionData);
    Put32(file, section + 20, kSectionData);
    for (std::size_t i = kSectionData; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i * 7);
    }
    if (signatureBytes > 0) {
        const std::uint32_t offset = static_cast<std::uint32_t>(file.size());
        const std::uint32_t length = 8 + 4 + signatureBytes;
        Bytes entry(length, 0xA5);
        Put32(entry, 0, length);
        entry[4] = 0x00;
        entry[5] = 0x02;
        entry[6] = 0x02;
        entry[7] = 0x00;
        entry[8] = 0x30;
        entry[9] = 0x82;
        entry[10] = static_cast<std::uint8_t>(signatureBytes >> 8);
        entry[11] = static_cast<std::uint8_t>(signatureBytes);
        entry.resize((length + 7) & ~7u, 0);
        file.insert(file.end(), entry.begin(), entry.end());
        Put32(file, SecurityEntry(pe64), offset);
        Put32(file, SecurityEntry(pe64) + 4, static_cast<std::uint32_t>(entry.size()));
    }
    if (withChecksum) Put32(file, kOptional + 64, 1);
    return file;
}

std::optional<std::string> ReadBack(const Bytes& file) {
    ScopedCaptureLog quiet;
    return ReadTrackingTrailer(std::span(file));
}

TEST(MakeTrackingTrailer, PadsToAMultipleOfEightBeforeTheFooter) {
    const Bytes trailer = MakeTrackingTrailer(std::string(280, 'a'));
    ASSERT_EQ(trailer.size(), 296u);
    EXPECT_EQ(Bytes(trailer.begin() + 280, trailer.begin() + 284), Bytes(4, 0));
    const std::optional<TrackingFooter> footer = TrackingFooterOf(trailer);
    ASSERT_TRUE(footer);
    EXPECT_EQ(footer->distance, 296u);
    EXPECT_EQ(footer->length, 280u);
    EXPECT_EQ(footer->marker, kTrackingMarker);
    EXPECT_NE(trailer[0], 'a');  // scrambled
    EXPECT_EQ(ReadBack(trailer), std::string(280, 'a'));
}

TEST(MakeTrackingTrailer, LengthLimitIsTheReaderLimit) {
    EXPECT_EQ(MakeTrackingTrailer(std::string(1012, 'x')).size(), 1024u);
    EXPECT_EQ(ReadBack(MakeTrackingTrailer(std::string(1012, 'x'))), std::string(1012, 'x'));
    EXPECT_THROW(MakeTrackingTrailer(std::string(1013, 'x')), PInternalError);
}

TEST(TrackingTag, UnsignedFileGetsTheTagAppendedOnce) {
    for (bool pe64 : {false, true}) {
        const Bytes original = MakePe(pe64, 0);
        Bytes file = original;
        WriteTrackingTag(file, "SITEID=FR\n");
        EXPECT_EQ(Bytes(file.begin(), file.begin() + original.size()), original);
        EXPECT_EQ(ReadBack(file), "SITEID=FR\n");

        WriteTrackingTag(file, "SITEID=BE_ZB_EXT\nGID=1\n");
        EXPECT_EQ(file.size(), original.size() + 40);  // one tag: 23 + pad + 12
        EXPECT_EQ(ReadBack(file), "SITEID=BE_ZB_EXT\nGID=1\n");

        EXPECT_TRUE(ClearTrackingTag(file));
        EXPECT_EQ(file, original);
        EXPECT_FALSE(ClearTrackingTag(file));
    }
}

TEST(TrackingTag, SignedFileKeepsTheTagInsideItsLastCertificate) {
    for (bool pe64 : {false, true}) {
        const Bytes original = MakePe(pe64, 100);
        const PeLayout before = ReadPeLayout(original);
        ASSERT_TRUE(before.signedFile());
        Bytes file = original;
        WriteTrackingTag(file, "SITEID=DK\n");
        WriteTrackingTag(file, "SITEID=SE\n");  // replaces, does not add
        const PeLayout after = ReadPeLayout(file);
        EXPECT_EQ(after.tableOffset, before.tableOffset);
        EXPECT_EQ(after.tableSize, before.tableSize + 24);
        // The entry covers the tag.
        EXPECT_EQ(LoadU32Le(file.data() + after.tableOffset), after.tableSize);
        // The signature bytes themselves are untouched.
        EXPECT_TRUE(std::equal(original.begin() + before.tableOffset + 4, original.end(),
                               file.begin() + before.tableOffset + 4));
        EXPECT_EQ(ReadBack(file), "SITEID=SE\n");

        EXPECT_TRUE(ClearTrackingTag(file));
        EXPECT_EQ(ReadPeLayout(file).tableSize, before.tableSize);
        EXPECT_EQ(file.size(), original.size());
    }
}

// Ends `file` with a footer (its last 12 bytes overwritten, or appended).
Bytes EndingWithFooter(Bytes file, std::uint32_t distance, std::uint32_t length, bool append) {
    if (append) file.resize(file.size() + kTrackingFooterSize, 0);
    Put32(file, file.size() - 12, distance);
    Put32(file, file.size() - 8, length);
    Put32(file, file.size() - 4, kTrackingMarker);
    return file;
}

TEST(TrackingTag, FootersThatAreNotTagsStay) {
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        // The signature's last bytes look like a footer whose data starts inside the DER.
        {"inside the signature", EndingWithFooter(MakePe(false, 100), 40, 4, false)},
        // An image without overlay whose last section ends like a footer.
        {"inside the section data", EndingWithFooter(MakePe(false, 0), 16, 4, false)},
        // 13 bytes of text cannot lie before a footer 24 bytes from the end.
        {"text longer than its room", EndingWithFooter(MakePe(false, 0), 24, 13, true)},
    };
    for (const auto& c : cases) {
        Bytes file = c.file;
        EXPECT_FALSE(ClearTrackingTag(file)) << c.what;
        EXPECT_EQ(file, c.file) << c.what;
        WriteTrackingTag(file, "SITEID=RO\n");
        EXPECT_EQ(file.size(), c.file.size() + 24) << c.what;
        EXPECT_EQ(ReadBack(file), "SITEID=RO\n") << c.what;
        EXPECT_TRUE(ClearTrackingTag(file)) << c.what;
        EXPECT_EQ(file.size(), c.file.size()) << c.what;
    }
}

TEST(TrackingTag, ChecksumIsKeptRight) {
    Bytes file = MakePe(false, 64, /*withChecksum=*/true);
    WriteTrackingTag(file, "SITEID=GR\n");
    const std::uint32_t field = ReadPeLayout(file).checksumField;
    EXPECT_EQ(LoadU32Le(file.data() + field), PeChecksum(file, field));
    EXPECT_NE(LoadU32Le(file.data() + field), 1u);

    Bytes noChecksum = MakePe(false, 64);
    WriteTrackingTag(noChecksum, "SITEID=GR\n");
    EXPECT_EQ(LoadU32Le(noChecksum.data() + field), 0u);
}

TEST(PeChecksum, FoldsWordsAndAddsTheLength) {
    // Words 0x0201 + 0xFFFF fold to 0x0201; odd last byte 0x05; field at 4 skipped.
    const Bytes bytes = {0x01, 0x02, 0xFF, 0xFF, 0xAA, 0xBB, 0xCC, 0xDD, 0x05};
    EXPECT_EQ(PeChecksum(bytes, 4), 0x0201u + 0x05u + 9u);
}

TEST(PeChecksum, FieldCountsAsZeroWhereverItLies) {
    Bytes bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    const std::uint32_t sum = PeChecksum(bytes, 1);
    Put32(bytes, 1, 0);
    EXPECT_EQ(PeChecksum(bytes, 1), sum);
    EXPECT_EQ(sum, 0x0001u + 0x0600u + 0x0807u + 8u);
}

TEST(TrackingTag, Refusals) {
    Bytes notPe(0x200, 0);
    Bytes badMagic = MakePe(false, 0);
    badMagic[kOptional] = 0x07;
    Bytes fewDirectories = MakePe(false, 0);
    Put32(fewDirectories, kOptional + 92, 4);
    Bytes peOutside = MakePe(false, 0);
    Put32(peOutside, 0x3C, 0xFFFFFFF0);
    Bytes notTail = MakePe(false, 100);
    notTail.push_back(0);
    Bytes damagedEntry = MakePe(false, 100);
    Put32(damagedEntry, ReadPeLayout(damagedEntry).tableOffset, 4);
    Bytes unpadded = MakePe(false, 101);  // entry of 113 bytes, padded to 120
    unpadded.resize(unpadded.size() - 4);
    Put32(unpadded, SecurityEntry(false) + 4, 116);
    Bytes truncated = MakePe(false, 0);
    truncated.resize(kImageEnd - 1);
    Bytes notASignature = MakePe(false, 100);
    notASignature[ReadPeLayout(notASignature).tableOffset + 10] = 0x7F;  // longer than its entry
    Bytes sectionsOutside = MakePe(false, 0);
    sectionsOutside[kPe + 6] = 0xFF;
    sectionsOutside[kPe + 7] = 0xFF;

    const struct {
        const char* what;
        Bytes file;
        const char* message;
    } cases[] = {
        {"not a PE file", notPe, "Not a PE file"},
        {"empty", Bytes{}, "Not a PE file"},
        {"unknown optional header", badMagic, "Not a PE file"},
        {"no security directory", fewDirectories, "Not a PE file"},
        {"header offset past the end", peOutside, "Not a PE file"},
        {"table not the tail", notTail, "The certificate table is not the end of the file"},
        {"entry length below its header", damagedEntry, "The certificate table is damaged"},
        {"last entry not padded", unpadded, "The certificate table's size is not a multiple of 8"},
        {"section table past the end", sectionsOutside, "Not a PE file"},
        {"truncated", truncated, "The file is shorter than its sections: it is truncated"},
        {"signature longer than its entry", notASignature, "The certificate table is damaged"},
    };
    for (const auto& c : cases) {
        Bytes file = c.file;
        try {
            WriteTrackingTag(file, "SITEID=FR\n");
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const PInternalError& e) {
            EXPECT_STREQ(e.why(), c.message) << c.what;
        }
        EXPECT_EQ(file, c.file) << c.what;
    }

    Bytes file = MakePe(false, 0);
    EXPECT_THROW(WriteTrackingTag(file, std::string(1013, 'x')), PInternalError);
    EXPECT_THROW(WriteTrackingTag(file, std::string("SITEID=FR\0GID=1\n", 16)), PInternalError);
    EXPECT_EQ(file, MakePe(false, 0));
}

}  // namespace
