#include "plib/pcodetables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

TEST(Windows1252Test, TableHas123PairsAboveAsciiThatRoundTrip) {
    int pairs = 0;
    for (std::int32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
        const int byte = PWindows1252FromCodePoint(cp);
        if (byte >= 0) {
            ++pairs;
            ASSERT_GE(byte, 0x80) << cp;
            EXPECT_EQ(PWindows1252ToCodePoint(static_cast<std::uint8_t>(byte)), cp);
        }
    }
    EXPECT_EQ(pairs, 123);
}

TEST(Windows1252Test, KnownBytes) {
    EXPECT_EQ(PWindows1252FromCodePoint(0x20AC), 0x80);
    EXPECT_EQ(PWindows1252FromCodePoint(0x2122), 0x99);
    EXPECT_EQ(PWindows1252FromCodePoint(0x0178), 0x9F);
    EXPECT_EQ(PWindows1252FromCodePoint(0x00E9), 0xE9);
    EXPECT_EQ(PWindows1252FromCodePoint(0x41), 0x41);
    EXPECT_EQ(PWindows1252FromCodePoint(0), 0);
    EXPECT_EQ(PWindows1252FromCodePoint(0x0080), -1);  // a C1 control is not in the code page
    EXPECT_EQ(PWindows1252FromCodePoint(0x0416), -1);
    EXPECT_EQ(PWindows1252FromCodePoint(-5), -1);
    EXPECT_EQ(PWindows1252FromCodePoint(0x100A0), -1);  // not confused with U+00A0
}

TEST(Windows1252Test, ReverseTableLeavesTheFiveUndefinedBytesZero) {
    const std::set<int> undefined = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
    for (int byte = 0; byte < 256; ++byte) {
        const std::int32_t cp = PWindows1252ToCodePoint(static_cast<std::uint8_t>(byte));
        if (undefined.count(byte)) {
            EXPECT_EQ(cp, 0) << byte;
        } else if (byte < 0x80 || byte >= 0xA0) {
            EXPECT_EQ(cp, byte);
        } else {
            EXPECT_GT(cp, 0xFF) << byte;
        }
    }
}

struct LowerCase {
    std::int32_t upper;
    std::int32_t lower;
};

class LowerCaseTest : public testing::TestWithParam<LowerCase> {};

TEST_P(LowerCaseTest, MapsToTheSimpleUnicodeLowerCase) {
    EXPECT_EQ(PToLowerCodePoint(GetParam().upper), GetParam().lower);
}

INSTANTIATE_TEST_SUITE_P(Letters, LowerCaseTest,
                         testing::Values(LowerCase{'A', 'a'}, LowerCase{'Z', 'z'},
                                         LowerCase{'a', 'a'}, LowerCase{'@', '@'},
                                         LowerCase{0xC9, 0xE9}, LowerCase{0xD7, 0xD7},  // ×
                                         LowerCase{0x0178, 0xFF}, LowerCase{0x0130, 'i'},
                                         LowerCase{0x0391, 0x03B1}, LowerCase{0x03A3, 0x03C3},
                                         LowerCase{0x0416, 0x0436}, LowerCase{0x0401, 0x0451},
                                         LowerCase{0x0531, 0x0561}, LowerCase{0x1E9E, 0xDF},
                                         LowerCase{0x2126, 0x03C9}, LowerCase{0xFF21, 0xFF41},
                                         LowerCase{0x10400, 0x10428}, LowerCase{0x0436, 0x0436},
                                         LowerCase{-1, -1}, LowerCase{0x7FFFFFFF, 0x7FFFFFFF}));

TEST(LowerCaseTest, EveryMappedCodePointIsFoundAndLowerIsFixed) {
    // A mis-sorted table would lose entries to the binary search; the count shows it.
    int mapped = 0;
    for (std::int32_t cp = 0; cp < 0x110000; ++cp) {
        const std::int32_t lower = PToLowerCodePoint(cp);
        if (lower != cp) {
            ++mapped;
            ASSERT_EQ(PToLowerCodePoint(lower), lower) << cp;
        }
    }
    EXPECT_EQ(mapped, 1433);
}

}  // namespace
