#include "tools/core/trackingtag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/core/capturelog.h"
#include "installer/core/littleendian.h"
#include "installer/core/samplesignature.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"
#include "tools/core/signaturetag.h"

namespace {

using sample::Bytes;
using sample::kImageEnd;
using sample::kOptional;
using sample::kPe;
using sample::Put32;

std::optional<std::string> ReadBack(const Bytes& file) {
    ScopedCaptureLog quiet;
    return ReadTrackingTrailer(std::span(file));
}

Bytes Applied(const TrackingTagPlan& plan, Bytes file) {
    ApplyTrackingTagPlan(plan, file);
    return file;
}

// A signed file whose signature is `shape`'s, its entry's length counting its padding as
// signing tools write it.
Bytes SignedWith(const sample::Shape& shape, bool pe64 = false, bool withChecksum = false) {
    const Bytes signature = sample::Signature(shape);
    const auto padding = static_cast<std::uint32_t>((8 - (8 + signature.size()) % 8) % 8);
    return sample::Pe(pe64, sample::Entry(signature, padding), withChecksum);
}

// `file` with the checksum it should have.
Bytes WithRightChecksum(Bytes file) {
    const std::uint32_t field = ReadPeLayout(file).checksumField;
    Put32(file, field, PeChecksum(file, field));
    return file;
}

sample::Shape Timestamped(std::size_t certificates = 60) {
    sample::Shape shape;
    shape.certificates = certificates;
    shape.unauthenticated = true;
    shape.attributes = sample::Attribute(sample::kTimestamp, sample::Filler(500, 0x31));
    return shape;
}

TEST(TrackingTag, UnsignedFileGetsTheTagAppendedOnce) {
    for (bool pe64 : {false, true}) {
        const Bytes original = sample::Pe(pe64, {});
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

TEST(TrackingTag, SignedFileCarriesTheTagInsideItsSignature) {
    for (bool pe64 : {false, true}) {
        const Bytes original = SignedWith(Timestamped(), pe64);
        const PeLayout before = ReadPeLayout(original);
        const Bytes entry(original.begin() + before.tableOffset, original.end());
        Bytes file = original;
        WriteTrackingTag(file, "SITEID=DK\n");
        WriteTrackingTag(file, "SITEID=SE\n");  // replaces, does not add
        EXPECT_EQ(ReadBack(file), "SITEID=SE\n");

        // The image is untouched but for the table's size; the entry is the tagged one.
        const PeLayout after = ReadPeLayout(file);
        EXPECT_EQ(after.tableOffset, before.tableOffset);
        EXPECT_EQ(after.tableOffset + after.tableSize, file.size());
        Bytes image(file.begin(), file.begin() + after.tableOffset);
        Put32(image, before.securityEntry + 4, before.tableSize);
        EXPECT_EQ(image, Bytes(original.begin(), original.begin() + before.tableOffset));
        EXPECT_EQ(Bytes(file.begin() + after.tableOffset, file.end()),
                  TagCertificateEntry(entry, "SITEID=SE\n"));

        EXPECT_TRUE(ClearTrackingTag(file));
        EXPECT_EQ(file, original);
        EXPECT_FALSE(ClearTrackingTag(file));
    }
}

// The reader's footer, written over the last bytes of `file`.
Bytes EndingWithFooter(Bytes file, std::uint32_t distance, std::uint32_t length, bool append) {
    if (append) file.resize(file.size() + kTrackingFooterSize, 0);
    Put32(file, file.size() - 12, distance);
    Put32(file, file.size() - 8, length);
    Put32(file, file.size() - 4, kTrackingMarker);
    return file;
}

// A signature that ends the file with no padding, so that its last bytes are the file's.
sample::Shape Aligned() {
    sample::Shape shape;
    while ((8 + sample::Signature(shape).size()) % 8 != 0) ++shape.certificates;
    return shape;
}

TEST(TrackingTag, FootersThatAreNotTagsStay) {
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        // The signature value's last bytes look like a footer whose data starts inside it.
        {"inside the signature", EndingWithFooter(SignedWith(Aligned()), 40, 4, false)},
        // An image without overlay whose last section ends like a footer.
        {"inside the section data", EndingWithFooter(sample::Pe(false, {}), 16, 4, false)},
        // 13 bytes of text cannot lie before a footer 24 bytes from the end.
        {"text longer than its room", EndingWithFooter(sample::Pe(false, {}), 24, 13, true)},
    };
    for (const auto& c : cases) {
        Bytes file = c.file;
        EXPECT_FALSE(ClearTrackingTag(file)) << c.what;
        EXPECT_EQ(file, c.file) << c.what;
        WriteTrackingTag(file, "SITEID=RO\n");
        EXPECT_EQ(ReadBack(file), "SITEID=RO\n") << c.what;
        EXPECT_TRUE(ClearTrackingTag(file)) << c.what;
        EXPECT_EQ(file, c.file) << c.what;
    }
}

// A signed file tagged as zbtag did before the tag moved inside the signature: the trailer
// after the padded entry, the entry's length and the table's size grown by it.
Bytes TaggedTheOlderWay(const Bytes& signedFile, const std::string& text) {
    const PeLayout layout = ReadPeLayout(signedFile);
    const Bytes trailer = MakeTrackingTrailer(text);
    Bytes file = sample::Cat({signedFile, trailer});
    const auto grow = static_cast<std::uint32_t>(trailer.size());
    Put32(file, layout.tableOffset, LoadU32Le(file.data() + layout.tableOffset) + grow);
    Put32(file, layout.securityEntry + 4, layout.tableSize + grow);
    return file;
}

TEST(TrackingTag, OlderTagIsReadAndMovedInsideByTheNextWrite) {
    const Bytes original = SignedWith(Timestamped());
    const Bytes old = TaggedTheOlderWay(original, "SITEID=BE_ZB_EXT\nGID=7\n");
    EXPECT_EQ(ReadBack(old), "SITEID=BE_ZB_EXT\nGID=7\n");
    EXPECT_TRUE(TrackingTagBase(old).tagged());

    Bytes file = old;
    WriteTrackingTag(file, "SITEID=FR\n");
    Bytes fromOriginal = original;
    WriteTrackingTag(fromOriginal, "SITEID=FR\n");
    EXPECT_EQ(file, fromOriginal);

    file = old;
    EXPECT_TRUE(ClearTrackingTag(file));
    EXPECT_EQ(file, original);
}

TEST(TrackingTag, ChecksumIsKeptRight) {
    for (const Bytes& original :
         {SignedWith(Timestamped(), false, true), sample::Pe(false, {}, true)}) {
        Bytes file = original;
        const std::uint32_t field = ReadPeLayout(file).checksumField;
        WriteTrackingTag(file, "SITEID=GR\n");
        EXPECT_EQ(LoadU32Le(file.data() + field), PeChecksum(file, field));
        EXPECT_NE(LoadU32Le(file.data() + field), 1u);
        ClearTrackingTag(file);
        EXPECT_EQ(LoadU32Le(file.data() + field), PeChecksum(file, field));
    }
    Bytes noChecksum = SignedWith(Timestamped());
    WriteTrackingTag(noChecksum, "SITEID=GR\n");
    EXPECT_EQ(LoadU32Le(noChecksum.data() + kOptional + 64), 0u);
}

// Whether `plan` changes nothing of `file` before `from` but the checksum and the security
// directory's size.
bool PatchesOnlyHeadersBefore(const TrackingTagPlan& plan, const Bytes& file, std::uint64_t from) {
    const PeLayout layout = ReadPeLayout(file);
    for (const FilePatch& patch : plan.patches) {
        const bool header =
            (patch.offset == layout.checksumField || patch.offset == layout.securityEntry + 4) &&
            patch.bytes.size() == 4;
        if (!header && patch.offset < from) return false;
    }
    return plan.keep >= from;
}

TEST(TrackingTagPlan, ChangesOnlyTheHeadersAndTheEntryInFewBytes) {
    // Signatures whose outer lengths cross 65535 when the tag comes in shift every byte after
    // the headers that grow; smaller ones keep the whole structure in place.
    for (std::size_t certificates : {60u, 65300u, 65400u}) {
        const Bytes original = WithRightChecksum(SignedWith(Timestamped(certificates)));
        const TrackingTagBase base(original);
        const TrackingTagPlan plan = base.Plan("SITEID=DK\nGID=4|5\n");
        const Bytes tagged = Applied(plan, original);
        EXPECT_EQ(tagged.size(), plan.size());
        EXPECT_TRUE(PatchesOnlyHeadersBefore(plan, original, kImageEnd)) << certificates;
        EXPECT_EQ(ReadBack(tagged), "SITEID=DK\nGID=4|5\n");
        const std::uint32_t field = ReadPeLayout(original).checksumField;
        EXPECT_EQ(LoadU32Le(tagged.data() + field), PeChecksum(tagged, field));
        for (std::size_t i = 1; i < plan.patches.size(); ++i) {
            const FilePatch& previous = plan.patches[i - 1];
            EXPECT_LT(previous.offset + previous.bytes.size(), plan.patches[i].offset);
        }
        if (certificates == 60) {
            // In place: the tail is the tag attribute, the patches the lengths around it.
            EXPECT_EQ(plan.keep, kImageEnd + 8 + sample::Signature(Timestamped()).size());
            EXPECT_LT(plan.tail.size(), 100u);
            std::size_t patched = 0;
            for (const FilePatch& patch : plan.patches) patched += patch.bytes.size();
            EXPECT_LT(patched, 64u);
        }
        EXPECT_EQ(Applied(TrackingTagBase(tagged).PlanClear(), tagged), original);
    }
}

TEST(TrackingTagPlan, TaggedBuildFilePlansTheSameFiles) {
    const Bytes original = WithRightChecksum(SignedWith(Timestamped()));
    Bytes tagged = original;
    WriteTrackingTag(tagged, std::string(300, 'v'));
    const TrackingTagBase fromOriginal(original), fromTagged(tagged);
    EXPECT_FALSE(fromOriginal.tagged());
    EXPECT_TRUE(fromTagged.tagged());
    EXPECT_EQ(fromTagged.size(), tagged.size());
    for (const std::string& text : {std::string("SITEID=FR\n"), std::string(900, 'w')}) {
        EXPECT_EQ(Applied(fromTagged.Plan(text), tagged),
                  Applied(fromOriginal.Plan(text), original));
    }
    EXPECT_EQ(Applied(fromTagged.PlanClear(), tagged), original);
    const TrackingTagPlan nothing = fromOriginal.PlanClear();
    EXPECT_EQ(nothing.keep, original.size());
    EXPECT_TRUE(nothing.patches.empty());
    EXPECT_TRUE(nothing.tail.empty());
}

TEST(TrackingTagPlan, UnsignedFileKeepsEverythingAndGetsTheTrailer) {
    const Bytes original = sample::Pe(false, {}, true);
    const TrackingTagPlan plan = TrackingTagBase(original).Plan("SITEID=EE\n");
    EXPECT_EQ(plan.keep, original.size());
    EXPECT_EQ(plan.tail, MakeTrackingTrailer("SITEID=EE\n"));
    ASSERT_EQ(plan.patches.size(), 1u);
    EXPECT_EQ(plan.patches[0].offset, ReadPeLayout(original).checksumField);
}

TEST(TrackingTag, Refusals) {
    Bytes notPe(0x200, 0);
    Bytes badMagic = sample::Pe(false, {});
    badMagic[kOptional] = 0x07;
    Bytes fewDirectories = sample::Pe(false, {});
    Put32(fewDirectories, kOptional + 92, 4);
    Bytes peOutside = sample::Pe(false, {});
    Put32(peOutside, 0x3C, 0xFFFFFFF0);
    Bytes notTail = sample::SignedPe();
    notTail.push_back(0);
    Bytes overImage = sample::SignedPe();
    Put32(overImage, sample::SecurityEntry(false), kImageEnd - 8);
    Put32(overImage, sample::SecurityEntry(false) + 4,
          static_cast<std::uint32_t>(overImage.size() - kImageEnd + 8));
    Bytes damagedEntry = sample::SignedPe();
    Put32(damagedEntry, kImageEnd, 4);
    Bytes unpadded = sample::SignedPe();  // the table ends inside its entry's padding
    Put32(unpadded, kImageEnd, 13);
    Put32(unpadded, sample::SecurityEntry(false) + 4, 14);
    unpadded.resize(kImageEnd + 14);
    Bytes truncated = sample::Pe(false, {});
    truncated.resize(kImageEnd - 1);
    Bytes notASignature = sample::Pe(false, sample::Entry(sample::Filler(100, 0x30), 0));
    Bytes sectionsOutside = sample::Pe(false, {});
    sectionsOutside[kPe + 6] = 0xFF;
    sectionsOutside[kPe + 7] = 0xFF;
    Bytes dataAfter =
        sample::Pe(false, sample::Cat({sample::Entry(sample::Signature({}), 0), Bytes(8, 0)}));
    Put32(dataAfter, kImageEnd, static_cast<std::uint32_t>(dataAfter.size() - kImageEnd));

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
        {"table over the image", overImage, "The certificate table overlaps the image"},
        {"entry length below its header", damagedEntry, "The certificate table is damaged"},
        {"last entry not padded", unpadded, "The certificate table's size is not a multiple of 8"},
        {"section table past the end", sectionsOutside, "Not a PE file"},
        {"truncated", truncated, "The file is shorter than its sections: it is truncated"},
        {"not a signature", notASignature, "The certificate table is damaged"},
        {"data after the signature", dataAfter,
         "The certificate entry holds data after its signature that is not a tracking tag"},
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
        EXPECT_THROW(ClearTrackingTag(file), PInternalError) << c.what;
        EXPECT_EQ(file, c.file) << c.what;
    }

    for (Bytes file : {sample::Pe(false, {}), sample::SignedPe()}) {
        const Bytes original = file;
        EXPECT_THROW(WriteTrackingTag(file, std::string(1013, 'x')), PInternalError);
        EXPECT_THROW(WriteTrackingTag(file, std::string("SITEID=FR\0GID=1\n", 16)), PInternalError);
        EXPECT_EQ(file, original);
    }
}

}  // namespace
