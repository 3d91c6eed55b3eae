#include "plib/putf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "plib/perror.h"

namespace {

std::string Encode(std::int32_t cp) {
    char bytes[kUtf8MaxSequence];
    return std::string(bytes, PUtf8Encode(cp, bytes));
}

struct EncodeCase {
    std::int32_t codePoint;
    std::string bytes;
};

class Utf8EncodeTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(Utf8EncodeTest, EncodesAndDecodesBack) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(Encode(c.codePoint), c.bytes);
    const char* cursor = c.bytes.c_str();
    EXPECT_EQ(PUtf8Decode(cursor, nullptr), c.codePoint);
    EXPECT_EQ(cursor, c.bytes.c_str() + c.bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, Utf8EncodeTest,
    testing::Values(EncodeCase{0x41, "A"}, EncodeCase{0x7F, "\x7F"}, EncodeCase{0x80, "\xC2\x80"},
                    EncodeCase{0xE9, "\xC3\xA9"}, EncodeCase{0x7FF, "\xDF\xBF"},
                    EncodeCase{0x800, "\xE0\xA0\x80"}, EncodeCase{0x20AC, "\xE2\x82\xAC"},
                    EncodeCase{0xD800, "\xED\xA0\x80"}, EncodeCase{0xFFFF, "\xEF\xBF\xBF"},
                    EncodeCase{0x10000, "\xF0\x90\x80\x80"},
                    EncodeCase{0x1F600, "\xF0\x9F\x98\x80"},
                    EncodeCase{0x1FFFFF, "\xF7\xBF\xBF\xBF"},
                    EncodeCase{0x200000, "\xF8\x88\x80\x80\x80"},
                    EncodeCase{0x3FFFFFF, "\xFB\xBF\xBF\xBF\xBF"},
                    EncodeCase{0x4000000, "\xFC\x84\x80\x80\x80\x80"},
                    EncodeCase{0x7FFFFFFF, "\xFD\xBF\xBF\xBF\xBF\xBF"}));

TEST(Utf8Test, NegativeCodePointsAreDropped) {
    EXPECT_EQ(Encode(-1), "");
    EXPECT_EQ(Encode(INT32_MIN), "");
}

TEST(Utf8Test, ZeroByteAndEndStopDecodingWithoutMoving) {
    const char* text = "";
    EXPECT_EQ(PUtf8Decode(text, nullptr), 0);
    const char* ab = "ab";
    const char* cursor = ab;
    EXPECT_EQ(PUtf8Decode(cursor, ab + 1), 'a');
    EXPECT_EQ(PUtf8Decode(cursor, ab + 1), 0);
    EXPECT_EQ(cursor, ab + 1);
}

struct BadCase {
    std::string bytes;
    std::size_t available;  // bytes before the end
    std::int32_t result;
    std::ptrdiff_t advance;
};

class Utf8BadTest : public testing::TestWithParam<BadCase> {};

TEST_P(Utf8BadTest, ReportsCutOffOrMalformed) {
    const BadCase& c = GetParam();
    const char* cursor = c.bytes.data();
    EXPECT_EQ(PUtf8Decode(cursor, c.bytes.data() + c.available), c.result);
    EXPECT_EQ(cursor - c.bytes.data(), c.advance);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8BadTest,
    testing::Values(BadCase{"\xC3\xA9", 1, -1, 0},                    // cut off by the end
                    BadCase{"\xE2\x82\xAC", 2, -1, 0},                // cut off by the end
                    BadCase{std::string("\xE2\x82\0", 3), 3, -1, 0},  // by a zero byte
                    BadCase{"\x80z", 2, -2, 1},                       // stray continuation byte
                    BadCase{"\xBFz", 2, -2, 1}, BadCase{"\xFEz", 2, -2, 1},  // never a lead byte
                    BadCase{"\xFFz", 2, -2, 1}, BadCase{"\xC3(", 2, -2, 1},  // missing continuation
                    BadCase{"\xE2\x82(", 3, -2, 1},
                    BadCase{"\xC0\x80", 2, -2, 1},      // over-long zero
                    BadCase{"\xC1\xBF", 2, -2, 1},      // over-long 0x7F
                    BadCase{"\xE0\x80\xAF", 3, -2, 1},  // over-long '/'
                    BadCase{"\xF0\x8F\xBF\xBF", 4, -2, 1}));

TEST(Utf8Test, ToUtf16KeepsTheLow16BitsAboveFFFF) {
    PWChar out[8] = {};
    const char* text = "a\xF0\x9F\x98\x80\xC3\xA9";
    ASSERT_EQ(PUtf8ToUtf16(text, SIZE_MAX, out, 8), 3u);
    EXPECT_EQ(out[0], PWChar{'a'});
    EXPECT_EQ(out[1], PWChar(0xF600));
    EXPECT_EQ(out[2], PWChar(0xE9));
}

TEST(Utf8Test, ToUtf16StopsWhenTheOutputIsFullOrTheLengthEnds) {
    PWChar out[2] = {};
    EXPECT_EQ(PUtf8ToUtf16("abcd", SIZE_MAX, out, 2), 2u);
    EXPECT_EQ(PUtf8ToUtf16("abcd", 1, out, 2), 1u);
    // A sequence cut off by the length is the end of the text, not an error.
    EXPECT_EQ(PUtf8ToUtf16("a\xC3\xA9", 2, out, 2), 1u);
    EXPECT_EQ(PUtf8ToUtf16(nullptr, 5, out, 2), 0u);
}

TEST(Utf8Test, ToUtf16ThrowsOnMalformedInput) {
    PWChar out[8];
    try {
        PUtf8ToUtf16("ok\xC3(", SIZE_MAX, out, 8);
        FAIL() << "no error";
    } catch (const PI18NError& e) {
        EXPECT_STREQ(e.why(), "UTF-8 format error");
    }
    EXPECT_THROW(PUtf8ToUtf16("\x80", SIZE_MAX, out, 8), PI18NError);
}

TEST(Utf8Test, CountsCharacters) {
    EXPECT_EQ(PUtf8CountChars(""), 0u);
    EXPECT_EQ(PUtf8CountChars(nullptr), 0u);
    EXPECT_EQ(PUtf8CountChars("h\xC3\xA9llo \xE2\x82\xAC\xF0\x9F\x98\x80"), 8u);
    EXPECT_EQ(PUtf8CountChars("a\x80"
                              "b"),
              3u);                                // a damaged byte counts as one
    EXPECT_EQ(PUtf8CountChars("a\xE2\x82"), 2u);  // so does a sequence cut off by the end
}

}  // namespace
