#include "server/formfields.h"

#include <gtest/gtest.h>

namespace {

TEST(FormFields, DecodesPlusAndPercentAndKeepsBrokenEscapes) {
    EXPECT_EQ(FormField("a=1&site=%3DZembrico.FR+x&b=2", "site"), "=Zembrico.FR x");
    EXPECT_EQ(FormField("v=100%&w=%zz%4", "v"), "100%");
    EXPECT_EQ(FormField("v=100%&w=%zz%4", "w"), "%zz%4");
    EXPECT_EQ(FormField("p%61ss=x", "pass"), "x");
}

TEST(FormFields, TellsAnAbsentFieldFromAnEmptyOneAndTakesTheFirst) {
    EXPECT_EQ(FormField("a=&b", "a"), "");
    EXPECT_EQ(FormField("a=&b", "b"), "");
    EXPECT_EQ(FormField("a=&b", "c"), std::nullopt);
    EXPECT_EQ(FormField("a=1&a=2", "a"), "1");
    EXPECT_EQ(FormField("", "a"), std::nullopt);
}

TEST(FormFields, EscapingRoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::string escaped = FormEscape(all);
    EXPECT_EQ(escaped.find_first_of("&=+ %<>\"", escaped.find("%FF") + 3), std::string::npos);
    EXPECT_EQ(FormField("x=" + escaped, "x"), all);
}

}  // namespace
