#include "tools/core/signaturetag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "installer/core/littleendian.h"
#include "installer/core/samplesignature.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"

namespace {

using sample::Attribute;
using sample::Bytes;
using sample::Cat;
using sample::Der;
using sample::Shape;

const Bytes kTagOid(std::begin(kSignatureTagOid), std::end(kSignatureTagOid));

// The shape of a signature that carries `trailer` as its tag, written independently of the
// code under test.
Shape WithTag(Shape shape, const Bytes& trailer, std::uint8_t restore) {
    shape.attributes = Cat(
        {shape.attributes, Attribute(kTagOid, Cat({Der(0x02, {restore}), Der(0x04, trailer)}))});
    shape.unauthenticated = true;
    return shape;
}

struct Case {
    std::string what;
    Shape shape;
};

std::vector<Case> Shapes() {
    std::vector<Case> cases;
    cases.push_back({"plain", Shape{}});
    Shape timestamped;
    timestamped.unauthenticated = true;
    timestamped.attributes = Attribute(sample::kTimestamp, sample::Filler(300, 0x21));
    cases.push_back({"timestamped", timestamped});
    Shape inner;
    inner.digestAlgorithm = sample::kSha1;
    inner.digest = sample::Filler(20, 0x99);
    Shape dual = timestamped;
    dual.attributes = Cat({dual.attributes, Attribute(sample::kNested, sample::Signature(inner))});
    cases.push_back({"dual", dual});
    Shape emptySet;
    emptySet.unauthenticated = true;
    cases.push_back({"empty unauthenticated set", emptySet});
    // Lengths that cross 65535 at the outer elements once the tag is added.
    for (std::size_t certificates : {65000u, 65200u, 65280u, 65330u, 65400u}) {
        Shape large;
        large.certificates = certificates;
        cases.push_back({"certificates " + std::to_string(certificates), large});
    }
    return cases;
}

std::uint32_t SignatureSize(const Shape& shape) {
    return static_cast<std::uint32_t>(sample::Signature(shape).size());
}

// The padding that an entry around `shape`'s signature has.
std::uint32_t PaddingOf(const Shape& shape) {
    return (8 - (8 + SignatureSize(shape)) % 8) % 8;
}

const std::string kTexts[] = {"",
                              "S",
                              "SITEID=FR\n",
                              std::string(100, 'g'),
                              "SITEID=BE_ZB_EXT\nGID=12|34\n" + std::string(253, 'x'),
                              std::string(1000, 'z')};

TEST(SignatureTag, TagIsTheLastAttributeAndEndsTheEntryOnABoundary) {
    for (const Case& c : Shapes()) {
        for (bool countPadding : {false, true}) {
            const std::uint32_t counted = countPadding ? PaddingOf(c.shape) : 0;
            const Bytes entry = sample::Entry(sample::Signature(c.shape), counted);
            for (const std::string& text : kTexts) {
                SCOPED_TRACE(c.what + ", text of " + std::to_string(text.size()));
                const Bytes tagged = TagCertificateEntry(entry, text);
                EXPECT_EQ(tagged.size() % 8, 0u);
                EXPECT_EQ(LoadU32Le(tagged.data()), tagged.size());

                const std::uint32_t distance = LoadU32Le(tagged.data() + tagged.size() - 12);
                ASSERT_LE(distance, 1024u);
                ASSERT_GE(distance, text.size() + 12);
                const Bytes trailer(tagged.end() - distance, tagged.end());
                EXPECT_EQ(UnscrambleTrackingData(std::span(trailer).first(text.size())), text);
                EXPECT_TRUE(std::all_of(trailer.begin() + text.size(), trailer.end() - 12,
                                        [](std::uint8_t b) { return b == 0; }));

                const bool emptySet = c.shape.unauthenticated && c.shape.attributes.empty();
                const auto restore = static_cast<std::uint8_t>(counted | (emptySet ? 8 : 0));
                EXPECT_EQ(tagged,
                          sample::Entry(sample::Signature(WithTag(c.shape, trailer, restore)), 0));
                // The filler is the shortest that ends the structure on a boundary.
                const std::uint32_t filler =
                    distance - 12 - static_cast<std::uint32_t>(text.size());
                if (filler > 0) {
                    const Bytes shorter = MakeTrackingTrailer(text, filler - 1);
                    EXPECT_NE(SignatureSize(WithTag(c.shape, shorter, restore)) % 8, 0u);
                }

                const UntaggedEntry untagged = UntagCertificateEntry(tagged);
                EXPECT_TRUE(untagged.hadTag);
                EXPECT_EQ(untagged.entry, entry);
                EXPECT_EQ(TagCertificateEntry(tagged, "SITEID=SE\n"),
                          TagCertificateEntry(entry, "SITEID=SE\n"));
            }
        }
    }
}

TEST(SignatureTag, UntaggedEntryStaysAsItIs) {
    for (const Case& c : Shapes()) {
        const Bytes entry = sample::Entry(sample::Signature(c.shape), PaddingOf(c.shape));
        const UntaggedEntry untagged = UntagCertificateEntry(entry);
        EXPECT_FALSE(untagged.hadTag) << c.what;
        EXPECT_EQ(untagged.entry, entry) << c.what;
        EXPECT_FALSE(FindSignatureTag(entry)) << c.what;
        EXPECT_EQ(SignatureLength(entry), SignatureSize(c.shape)) << c.what;
    }
}

TEST(SignatureTag, FindsTheTrailerAtTheEnd) {
    const Bytes tagged =
        TagCertificateEntry(sample::Entry(sample::Signature({}), 0), "SITEID=DK\n");
    const std::optional<TagTrailerPlace> place = FindSignatureTag(tagged);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->offset + place->length, tagged.size());
    EXPECT_EQ(place->length, LoadU32Le(tagged.data() + tagged.size() - 12));
    EXPECT_EQ(SignatureLength(tagged), tagged.size() - 8);
}

TEST(SignatureTag, OlderFormAfterTheSignatureIsTakenOff) {
    for (const Case& c : Shapes()) {
        SCOPED_TRACE(c.what);
        const Bytes entry = sample::Entry(sample::Signature(c.shape), PaddingOf(c.shape));
        Bytes old = Cat({entry, MakeTrackingTrailer("SITEID=RO\n")});
        sample::Put32(old, 0, static_cast<std::uint32_t>(old.size()));
        const UntaggedEntry untagged = UntagCertificateEntry(old);
        EXPECT_TRUE(untagged.hadTag);
        EXPECT_EQ(untagged.entry, entry);
        const Bytes tagged = TagCertificateEntry(old, "SITEID=FR\n");
        EXPECT_EQ(tagged, TagCertificateEntry(entry, "SITEID=FR\n"));
    }
}

TEST(SignatureTag, TextsAtTheReadersLimit) {
    const Bytes entry = sample::Entry(sample::Signature({}), 0);
    for (std::size_t size = 1005; size <= 1013; ++size) {
        try {
            const Bytes tagged = TagCertificateEntry(entry, std::string(size, 'q'));
            EXPECT_LE(LoadU32Le(tagged.data() + tagged.size() - 12), 1024u) << size;
        } catch (const PInternalError& e) {
            // Up to 7 filler bytes may be needed: 1005 characters always fit.
            EXPECT_GT(size, 1005u);
            EXPECT_STREQ(e.why(), "The tracking text is too long: its tag would exceed 1024 bytes");
        }
    }
    EXPECT_THROW(TagCertificateEntry(entry, std::string(1013, 'q')), PInternalError);
    EXPECT_THROW(TagCertificateEntry(entry, std::string("A=1\0B=2\n", 8)), PInternalError);
}

TEST(SignatureTag, EveryTagEndingTheAttributesGoesAndNothingElse) {
    Shape shape;
    shape.unauthenticated = true;
    // Another party's attribute that is no SEQUENCE of elements: passed over, kept.
    shape.attributes = Der(0x30, {0x06, 0x05, 1, 2});
    const Bytes entry = sample::Entry(sample::Signature(shape), 0);
    const Bytes once = TagCertificateEntry(entry, "SITEID=FR\n");
    EXPECT_EQ(UntagCertificateEntry(once).entry, entry);

    // A second tag after the first, as a tool that does not know the first would add it.
    const Bytes first = MakeTrackingTrailer("SITEID=FR\n", 2);
    Shape twice = WithTag(WithTag(shape, first, 0), MakeTrackingTrailer("SITEID=SE\n", 1), 0);
    const UntaggedEntry untagged =
        UntagCertificateEntry(sample::Entry(sample::Signature(twice), 0));
    EXPECT_TRUE(untagged.hadTag);
    EXPECT_EQ(untagged.entry, entry);
    EXPECT_FALSE(FindSignatureTag(untagged.entry));
}

// `entry` with the byte run `find` replaced by `replace` (same length).
Bytes Replaced(Bytes entry, const Bytes& find, const Bytes& replace) {
    const auto at = std::search(entry.begin(), entry.end(), find.begin(), find.end());
    EXPECT_NE(at, entry.end());
    std::copy(replace.begin(), replace.end(), at);
    return entry;
}

TEST(SignatureTag, Refusals) {
    const Bytes signature = sample::Signature({});
    const Bytes entry = sample::Entry(signature, 0);
    Bytes trailingData = Cat({entry, Bytes(8, 0)});
    sample::Put32(trailingData, 0, static_cast<std::uint32_t>(trailingData.size()));
    Bytes nonZeroPadding = entry;
    ASSERT_NE(PaddingOf({}), 0u) << "the sample needs padding";
    nonZeroPadding.back() = 1;
    Shape damagedTag;
    damagedTag.unauthenticated = true;
    damagedTag.attributes = Attribute(kTagOid, Der(0x04, Bytes(20, 0)));

    const struct {
        const char* what;
        Bytes entry;
        const char* message;
    } cases[] = {
        {"not signed data", Replaced(entry, sample::kSignedData, Bytes(9, 0x2A)),
         "The signature is not PKCS#7 signed data"},
        {"signer info without its signature value",
         Replaced(entry, {0x04, 0x40, 0x70}, {0x05, 0x40, 0x70}),
         "The signature is not PKCS#7 signed data"},
        {"indefinite length", sample::Entry({0x30, 0x80, 0x00, 0x00}, 0),
         "The certificate table is damaged"},
        {"shorter than its header", Bytes{8, 0, 0, 0, 0, 2, 2}, "The certificate table is damaged"},
        {"eight bytes after the signature", trailingData,
         "The certificate entry holds data after its signature that is not a tracking tag"},
        {"padding that is not zero", nonZeroPadding,
         "The certificate entry holds data after its signature that is not a tracking tag"},
        {"our attribute in another form", sample::Entry(sample::Signature(damagedTag), 0),
         "The tracking tag in the signature is damaged"},
    };
    for (const auto& c : cases) {
        for (const auto& call : {+[](const Bytes& e) { UntagCertificateEntry(e); },
                                 +[](const Bytes& e) { TagCertificateEntry(e, "SITEID=FR\n"); }}) {
            try {
                call(c.entry);
                ADD_FAILURE() << c.what << ": accepted";
            } catch (const PInternalError& e) {
                EXPECT_STREQ(e.why(), c.message) << c.what;
            }
        }
    }
}

}  // namespace
