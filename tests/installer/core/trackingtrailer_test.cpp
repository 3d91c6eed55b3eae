#include "installer/core/trackingtrailer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capturelog.h"
#include "plib/perror.h"
#include "plib/tempfolder.h"
#include "protocols/inixor.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A file of `prefix` bytes, then `text` scrambled, `gap` zero bytes and a footer.
Bytes FileWithTrailer(const std::string& text, std::size_t gap = 4, std::size_t prefix = 64) {
    Bytes file(prefix, 0x5A);
    Bytes data(text.begin(), text.end());
    IniXorTracking(data.data(), data.size());
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), gap, 0);
    PutU32(file, static_cast<std::uint32_t>(data.size() + gap + 12));
    PutU32(file, static_cast<std::uint32_t>(data.size()));
    PutU32(file, 0xFFFEFFFE);
    return file;
}

// Overwrites the footer's distance and length.
Bytes WithFooter(Bytes file, std::uint32_t distance, std::uint32_t length) {
    const std::size_t at = file.size() - 12;
    Bytes footer;
    PutU32(footer, distance);
    PutU32(footer, length);
    std::copy(footer.begin(), footer.end(), file.begin() + at);
    return file;
}

struct Result {
    std::optional<std::string> text;
    std::vector<std::string> log;
};

Result Read(const Bytes& file) {
    ScopedCaptureLog log;
    Result result{ReadTrackingTrailer(std::span(file)), {}};
    result.log = log.lines();
    return result;
}

TEST(TrackingTrailer, ReadsTheScrambledTextBeforeTheFooter) {
    const std::string text = "SITEID=FR\nGID=1|2\n";
    const Result r = Read(FileWithTrailer(text));
    ASSERT_TRUE(r.text);
    EXPECT_EQ(*r.text, text);
    EXPECT_TRUE(r.log.empty());
}

TEST(TrackingTrailer, FooterBytesAreLittleEndianWithTheMarkerLast) {
    const Bytes file = FileWithTrailer("x", 3);
    const Bytes footer(file.end() - 12, file.end());
    EXPECT_EQ(footer, (Bytes{16, 0, 0, 0, 1, 0, 0, 0, 0xFE, 0xFF, 0xFE, 0xFF}));
    EXPECT_EQ(Read(file).text, "x");
}

TEST(TrackingTrailer, TextEndsAtItsFirstZeroByte) {
    EXPECT_EQ(Read(FileWithTrailer(std::string("SITEID=BE\0junk", 14))).text, "SITEID=BE");
}

TEST(TrackingTrailer, RejectedFooters) {
    const Bytes good = FileWithTrailer("SITEID=FR");
    Bytes noMarker = good;
    noMarker.back() = 0xFE;
    const struct {
        const char* what;
        Bytes file;
        const char* line;
    } cases[] = {
        {"marker missing", noMarker, "No tInfo found."},
        {"distance 0", WithFooter(good, 0, 0), "No tInfo found."},
        {"distance 1025", WithFooter(FileWithTrailer("SITEID=FR", 1025 - 21), 1025, 9),
         "No tInfo found."},
        {"shorter than a footer", Bytes(good.end() - 11, good.end()), "No tInfo found."},
        {"data beyond the file's end", WithFooter(good, 1024, 9), "tInfo read error."},
        {"length beyond the distance", WithFooter(good, 25, 26), "tInfo read error."},
        {"length of 4 GiB", WithFooter(good, 25, 0xFFFFFFFF), "tInfo read error."},
    };
    for (const auto& c : cases) {
        const Result r = Read(c.file);
        EXPECT_FALSE(r.text) << c.what;
        EXPECT_EQ(r.log, std::vector<std::string>{c.line}) << c.what;
    }
}

TEST(TrackingTrailer, DistanceLimitsAreInclusive) {
    const std::string text = "SITEID=EE";
    EXPECT_EQ(Read(FileWithTrailer(text, 1024 - 12 - text.size())).text, text);
    // Distance 12 with no data at all: an empty text, not a failure.
    EXPECT_EQ(Read(FileWithTrailer("", 0)).text, "");
}

TEST(TrackingTrailer, ReadsFromAFile) {
    TempFolder folder;
    const Bytes bytes = FileWithTrailer("SITEID=DK\n");
    TempFolder::write(folder.file("setup.exe"), std::string(bytes.begin(), bytes.end()));
    ScopedCaptureLog log;
    EXPECT_EQ(ReadTrackingTrailer(PString(folder.file("setup.exe").c_str()), nullptr),
              "SITEID=DK\n");
    EXPECT_FALSE(ReadTrackingTrailer(PString(folder.file("missing.exe").c_str()), nullptr));
    TempFolder::write(folder.file("short.exe"), "MZ");
    EXPECT_FALSE(ReadTrackingTrailer(PString(folder.file("short.exe").c_str()), nullptr));
    const Bytes far = WithFooter(bytes, 1000, 10);
    TempFolder::write(folder.file("far.exe"), std::string(far.begin(), far.end()));
    EXPECT_FALSE(ReadTrackingTrailer(PString(folder.file("far.exe").c_str()), nullptr));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Error in reading file for tInfo",
                                                     "No tInfo found.", "tInfo read error."}));
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
    EXPECT_EQ(Read(trailer).text, std::string(280, 'a'));
}

TEST(MakeTrackingTrailer, LengthLimitIsTheReaderLimit) {
    EXPECT_EQ(MakeTrackingTrailer(std::string(1012, 'x')).size(), 1024u);
    EXPECT_EQ(Read(MakeTrackingTrailer(std::string(1012, 'x'))).text, std::string(1012, 'x'));
    EXPECT_THROW(MakeTrackingTrailer(std::string(1013, 'x')), PInternalError);
    // The filler counts: 1000 characters leave room for 12 filler bytes, not 13.
    EXPECT_EQ(MakeTrackingTrailer(std::string(1000, 'x'), 12).size(), 1024u);
    EXPECT_THROW(MakeTrackingTrailer(std::string(1000, 'x'), 13), PInternalError);
    EXPECT_THROW(MakeTrackingTrailer("", 0xFFFFFFFF), PInternalError);
    EXPECT_THROW(MakeTrackingTrailer(std::string("SITEID=FR\0GID=1\n", 16)), PInternalError);
}

TEST(MakeTrackingTrailer, FillerStandsBetweenDataAndFooter) {
    for (std::uint32_t filler : {0u, 1u, 5u, 300u}) {
        const Bytes trailer = MakeTrackingTrailer("SITEID=DK\n", filler);
        ASSERT_EQ(trailer.size(), 10 + filler + 12);
        EXPECT_TRUE(std::all_of(trailer.begin() + 10, trailer.end() - 12,
                                [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(Read(trailer).text, "SITEID=DK\n") << filler;
    }
}

TEST(TrackingTrailerLength, OnlyAWholeTrailerThatTheReaderTakes) {
    const Bytes good = FileWithTrailer("SITEID=FR", 4, 0);
    EXPECT_EQ(TrackingTrailerLength(good), good.size());
    EXPECT_EQ(TrackingTrailerLength(FileWithTrailer("SITEID=FR")), good.size());
    Bytes noMarker = good;
    noMarker.back() = 0;
    // The data would start before the bytes given.
    EXPECT_EQ(TrackingTrailerLength(Bytes(good.begin() + 1, good.end())), 0u);
    EXPECT_EQ(TrackingTrailerLength(noMarker), 0u);
    EXPECT_EQ(TrackingTrailerLength(WithFooter(good, 11, 0)), 0u);   // inside the footer
    EXPECT_EQ(TrackingTrailerLength(WithFooter(good, 25, 14)), 0u);  // text over the footer
    EXPECT_EQ(TrackingTrailerLength(Bytes(11, 0)), 0u);
}

}  // namespace
