#include "plib/pbase64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plib/perror.h"

namespace {

std::string Decode(const std::string& text) {
    PBlock out;
    PBase64Decode(out, text.data(), text.size());
    return std::string(reinterpret_cast<const char*>(out.data()), out.size());
}

struct Case {
    const char* text;
    std::string bytes;
};

class Base64Test : public testing::TestWithParam<Case> {};

TEST_P(Base64Test, Decodes) {
    EXPECT_EQ(Decode(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Texts, Base64Test,
                         testing::Values(Case{"QQ==", "A"},  // padding writes the incomplete group
                                         Case{"QQ", ""},     // without padding it is dropped
                                         Case{"QUI=", "AB"}, Case{"QUJD", "ABC"},
                                         Case{"QUJDRA==", "ABCD"}, Case{"QUJDRA", "ABC"},
                                         Case{"Q===", ""},  // one character carries no byte
                                         Case{"", ""},
                                         Case{"+/+/", "\xFB\xFF\xBF"},  // standard alphabet
                                         Case{"-_-_", "\xFB\xFF\xBF"},  // URL alphabet
                                         Case{"+_-/", "\xFB\xFF\xBF"},  // mixed
                                         Case{"QU\r\nJ D*", "ABC"},  // other characters are skipped
                                         Case{"QQ==QUJD", "A"},  // nothing counts after the padding
                                         Case{"QUI=QQ==", "AB"}, Case{"QUJD=QUJD", "ABC"}));

TEST(Base64Test, AppendsToWhatIsThere) {
    PBlock out;
    out.append("x", 1);
    PBase64Decode(out, "QUJD", 4);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(std::memcmp(out.data(), "xABC", 4), 0);
}

TEST(Base64Test, ZeroByteInsideTheLengthIsAnAssertion) {
    PBlock out;
    EXPECT_THROW(PBase64Decode(out, "QU\0JD", 5), PAssert);
    EXPECT_EQ(out.size(), 0u);
}

TEST(Base64Test, LengthLimitsTheText) {
    PBlock out;
    PBase64Decode(out, "QUJDREVG", 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data()), out.size()), "ABC");
}

TEST(Base64Utf8Test, DecodesIntoTheMixedEncoding) {
    PString s;
    PBase64DecodeUtf8(s, "Y2Fmw6k=", 8);  // "café"
    EXPECT_EQ(s, "caf\xE9");
    PBase64DecodeUtf8(s, "0JY=", 4);  // U+0416
    EXPECT_EQ(s,
              "\x10"
              "caf\xC3\xA9\xD0\x96");
}

TEST(Base64Utf8Test, DamagedUtf8ThrowsAndLeavesTheStringAlone) {
    PString s("keep");
    EXPECT_THROW(PBase64DecodeUtf8(s, "/w==", 4), PI18NError);  // 0xFF
    EXPECT_THROW(PBase64DecodeUtf8(s, "YcM=", 4), PI18NError);  // cut off: 'a', 0xC3
    EXPECT_EQ(s, "keep");
}

}  // namespace
