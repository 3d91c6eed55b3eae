#include "plib/pstringencoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "plib/perror.h"

namespace {

std::vector<std::int32_t> ReadAll(const PStringEncoding& encoding, const char* text,
                                  std::size_t length = PString::npos) {
    std::vector<std::int32_t> codePoints;
    const auto reader = encoding.createReader(text, length);
    for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) {
        codePoints.push_back(cp);
    }
    return codePoints;
}

std::vector<std::uint32_t> Units(const PUtf16Block& block) {
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i < block.units(); ++i) {
        units.push_back(block.c_str()[i]);
    }
    return units;
}

TEST(MixedEncodingTest, StaysSingleByteWhileTheCodePageSuffices) {
    PString s;
    PMixedEncoding().append(s, 'a');
    PMixedEncoding().append(s, 0xE9);
    PMixedEncoding().append(s, 0x20AC);
    EXPECT_EQ(s, "a\xE9\x80");
}

TEST(MixedEncodingTest, FirstCodePointOutsideTheCodePageMarksTheWholeString) {
    PString s;
    PMixedEncoding().append(s, 0xE9);
    EXPECT_EQ(s, "\xE9");
    PMixedEncoding().append(s, 0x0416);
    EXPECT_EQ(s, "\x10\xC3\xA9\xD0\x96");
    PMixedEncoding().append(s, 'x');  // marked strings take UTF-8 from then on
    PMixedEncoding().append(s, 0x20AC);
    EXPECT_EQ(s, "\x10\xC3\xA9\xD0\x96x\xE2\x82\xAC");
}

TEST(MixedEncodingTest, MarkingConvertsCodePageBytesAndDropsUndefinedOnes) {
    PString s(
        "\x80\x81"
        "a");  // euro sign, an undefined byte, 'a'
    PMixedEncoding().append(s, 0x3042);
    EXPECT_EQ(s,
              "\x10\xE2\x82\xAC"
              "a\xE3\x81\x82");
}

TEST(MixedEncodingTest, CodePoint10AtTheStartIsNotMistakenForTheMarker) {
    PString s;
    PMixedEncoding().append(s, 0x10);
    PMixedEncoding().append(s, 'a');
    EXPECT_EQ(s,
              "\x10\x10"
              "a");
    EXPECT_EQ(ReadAll(PMixedEncoding(), s.c_str()), (std::vector<std::int32_t>{0x10, 'a'}));
    PString later("a");
    PMixedEncoding().append(later, 0x10);  // not at the start: an ordinary byte
    EXPECT_EQ(later, "a\x10");
}

TEST(MixedEncodingTest, ReadsByItsMarker) {
    EXPECT_EQ(ReadAll(PMixedEncoding(), "\xE9\x80\x81\x9F"),
              (std::vector<std::int32_t>{0xE9, 0x20AC, 0x178}));
    EXPECT_EQ(ReadAll(PMixedEncoding(), "\x10\xC3\xA9\xD0\x96"),
              (std::vector<std::int32_t>{0xE9, 0x416}));
    EXPECT_EQ(ReadAll(PMixedEncoding(), "\x10"), std::vector<std::int32_t>{});
    EXPECT_EQ(ReadAll(PMixedEncoding(), nullptr), std::vector<std::int32_t>{});
    EXPECT_EQ(ReadAll(PMixedEncoding(), "abcdef", 2), (std::vector<std::int32_t>{'a', 'b'}));
}

TEST(MixedEncodingTest, RoundTripOfEveryCodePageCharacterAndBeyond) {
    PString s;
    std::vector<std::int32_t> written;
    for (std::int32_t cp : {0x41, 0xFF, 0x152, 0x2122, 0x3A9, 0x1F600, 0x7FFFFFFF}) {
        PMixedEncoding().append(s, cp);
        written.push_back(cp);
        EXPECT_EQ(ReadAll(PMixedEncoding(), s.c_str()), written);
    }
}

TEST(MixedEncodingTest, JoinKeepsTheMarkerInFrontAndEachPartsCharacters) {
    // A quote before a marked path (Cyrillic "Иван"): the marker moves to the front.
    EXPECT_EQ(PMixedJoin({"\"",
                          "\x10"
                          "C:\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD",
                          "\" /u:X"}),
              "\x10\"C:\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\" /u:X");
    // A Windows-1252 part after a marked one is converted ("Caf\xE9" is "Café").
    EXPECT_EQ(PMixedJoin({"\x10\xD0\x96", "\\Caf\xE9"}), "\x10\xD0\x96\\Caf\xC3\xA9");
    // Two marked parts: one marker, in front.
    EXPECT_EQ(PMixedJoin({"\x10\xCE\x95", "\\", "\x10\xCE\xBB"}), "\x10\xCE\x95\\\xCE\xBB");
    // Unmarked parts are joined byte for byte, Windows-1252 left as it is.
    EXPECT_EQ(PMixedJoin({"C:\\Caf\xE9", "\\", "x.lnk"}), "C:\\Caf\xE9\\x.lnk");
    EXPECT_EQ(PMixedJoin({}), "");
}

TEST(Utf8EncodingTest, DamagedBytesReadAsTheReplacementCharacter) {
    const PStringEncodingUtf8 utf8(0, '?');
    EXPECT_EQ(ReadAll(utf8,
                      "a\x80"
                      "b\xC3"),
              (std::vector<std::int32_t>{'a', '?', 'b'}));
    const PStringEncodingUtf8 dropping(0, 0);
    EXPECT_EQ(ReadAll(dropping,
                      "a\xFF"
                      "b"),
              (std::vector<std::int32_t>{'a', 'b'}));
}

TEST(EncodingFlagsTest, NullCharacterFollowsTheFlags) {
    PString s("a");
    PStringEncodingUtf8(0, '?').append(s, 0);
    EXPECT_EQ(s, "a");
    PStringEncodingUtf8(PStringEncoding::kNullReplaced, '?').append(s, 0);
    EXPECT_EQ(s, "a?");
    PStringEncodingPStringX(PStringEncoding::kNullReplaced, 0x416).append(s, 0);
    EXPECT_EQ(s,
              "\x10"
              "a?\xD0\x96");
    try {
        PStringEncodingUtf8(PStringEncoding::kNullThrows | PStringEncoding::kNullReplaced)
            .append(s, 0);
        FAIL() << "no error";
    } catch (const PInternalError& e) {
        EXPECT_STREQ(e.why(), "PStringEncodingUtf8: unexpected NULL character");
    }
    try {
        PStringEncodingPStringX(PStringEncoding::kNullThrows).append(s, 0);
        FAIL() << "no error";
    } catch (const PInternalError& e) {
        EXPECT_STREQ(e.why(), "PStringEncodingPStringX: unexpected NULL character");
    }
}

TEST(EncodingFlagsTest, CloneKeepsTypeFlagsAndReplacement) {
    const PStringEncodingPStringX original(PStringEncoding::kNullReplaced, '#');
    const auto copy = original.clone();
    EXPECT_EQ(copy->flags(), PStringEncoding::kNullReplaced);
    EXPECT_EQ(copy->replacement(), '#');
    PString s;
    copy->append(s, 0x416);
    EXPECT_EQ(s, "\x10\xD0\x96");  // still the mixed encoding
}

TEST(Utf16Test, CodePointsAboveFFFFKeepTheirLow16Bits) {
    PUtf16Block out;
    PStringToUtf16(out,
                   PString("\x10"
                           "a\xF0\x9F\x98\x80\xC3\xA9"),
                   &PMixedEncoding());
    EXPECT_EQ(Units(out), (std::vector<std::uint32_t>{'a', 0xF600, 0xE9}));
    EXPECT_EQ(out.c_str()[3], 0);
    EXPECT_EQ(out.sizeBytes(), 3 * sizeof(PWChar));
}

TEST(Utf16Test, ACodePointWhoseLowBitsAreZeroDoesNotCutTheText) {
    PUtf16Block out;
    PStringToUtf16(out,
                   PString("\x10"
                           "a\xF0\x90\x80\x80"
                           "b"),
                   &PMixedEncoding());
    EXPECT_EQ(Units(out), (std::vector<std::uint32_t>{'a', '?', 'b'}));
}

TEST(Utf16Test, WithoutEncodingEachByteIsOneUnit) {
    PUtf16Block out;
    PStringToUtf16(out, PString("\x10\xE9\x80"), nullptr);
    EXPECT_EQ(Units(out), (std::vector<std::uint32_t>{0x10, 0xE9, 0x80}));
}

TEST(Utf16Test, Windows1252TextConvertsThroughTheCodePage) {
    PUtf16Block out;
    PStringToUtf16(out, PString("\x80\x8D!"), &PMixedEncoding());
    EXPECT_EQ(Units(out), (std::vector<std::uint32_t>{0x20AC, '!'}));
}

TEST(Utf16Test, LineFeedFormMakesCrLfAndDropsCr) {
    PUtf16Block out;
    PStringToUtf16Crlf(out, PString("a\nb\r\nc\rd\n"), &PMixedEncoding());
    EXPECT_EQ(Units(out),
              (std::vector<std::uint32_t>{'a', '\r', '\n', 'b', '\r', '\n', 'c', 'd', '\r', '\n'}));
}

TEST(Utf16Test, ConversionReplacesThePreviousText) {
    PUtf16Block out;
    PStringToUtf16(out, PString("long previous text"), nullptr);
    PStringToUtf16(out, PString(), nullptr);
    EXPECT_EQ(out.units(), 0u);
    EXPECT_EQ(out.c_str()[0], 0);
}

TEST(Utf16Test, BackToMixedEncodingRoundTripsUnitByUnit) {
    const std::vector<PWChar> units = {PWChar('Z'),    PWChar(0xE9),   PWChar(0x416),
                                       PWChar(0xD83D), PWChar(0x20AC), PWChar(0)};
    PString s;
    PUtf16ToPString(s, units.data());
    EXPECT_EQ(s, "\x10Z\xC3\xA9\xD0\x96\xED\xA0\xBD\xE2\x82\xAC");
    PUtf16Block back;
    PStringToUtf16(back, s, &PMixedEncoding());
    EXPECT_EQ(Units(back), (std::vector<std::uint32_t>{'Z', 0xE9, 0x416, 0xD83D, 0x20AC}));
}

TEST(Utf16Test, BackToMixedEncodingAppendsAndHonoursTheCount) {
    const PWChar units[] = {PWChar('a'), PWChar(0xE9), PWChar('c')};
    PString s("x");
    PUtf16ToPString(s, units, 2);
    EXPECT_EQ(s, "xa\xE9");
    PUtf16ToPString(s, nullptr, 3);
    EXPECT_EQ(s, "xa\xE9");
}

TEST(Utf16Test, BlockGrowsByAppendAndTerminatesOnRequest) {
    PUtf16Block block;
    EXPECT_EQ(block.c_str()[0], 0);
    for (int i = 0; i < 100; ++i) {
        block.append(static_cast<PWChar>('a' + i % 26));
    }
    block.zeroTerminate();
    EXPECT_EQ(block.units(), 100u);
    EXPECT_EQ(block.sizeBytes(), 100 * sizeof(PWChar));
    EXPECT_EQ(block.c_str()[99], PWChar('a' + 99 % 26));
    EXPECT_EQ(block.c_str()[100], 0);
}

}  // namespace
