#include "plib/pbitmask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plib/perror.h"

namespace {

std::string ErrorOf(const char* text) {
    try {
        PBitmask::fromDbString(text);
    } catch (const PError& e) {
        return e.why();
    }
    return "no error";
}

PBitmask Bits(const std::vector<int>& bits) {
    PBitmask mask;
    for (int bit : bits) {
        mask.set(bit);
    }
    return mask;
}

TEST(PBitmaskTest, SeventeenDigitsFillWordZeroAndOneDigitOfWordOne) {
    const PBitmask m = PBitmask::fromDbString("A0123456789abcdef");
    EXPECT_EQ(m.word(0), 0x0123456789ABCDEFull);
    EXPECT_EQ(m.word(1), 0xAull);
    EXPECT_EQ(m.word(2), 0u);
}

TEST(PBitmaskTest, TwentyDigitTextSetsBit77Only) {
    const PBitmask m = PBitmask::fromDbString("20000000000000000000");
    EXPECT_EQ(m, Bits({77}));
    EXPECT_EQ(m.word(1), 0x2000ull);
}

TEST(PBitmaskTest, SixtyFourDigitsFillAllWords) {
    const std::string text = "F" + std::string(15, '0') + "1" + std::string(15, '0') +
                             std::string(15, '0') + "2" + std::string(15, '0') + "8";
    ASSERT_EQ(text.size(), 64u);
    const PBitmask m = PBitmask::fromDbString(text.c_str());
    EXPECT_EQ(m.word(3), 0xF000000000000000ull);
    EXPECT_EQ(m.word(2), 0x1000000000000000ull);
    EXPECT_EQ(m.word(1), 0x2ull);
    EXPECT_EQ(m.word(0), 0x8ull);
    EXPECT_EQ(m, Bits({3, 65, 188, 252, 253, 254, 255}));
}

TEST(PBitmaskTest, Errors) {
    EXPECT_EQ(ErrorOf(nullptr), "PBitmask::fromDbString null/empty input string");
    EXPECT_EQ(ErrorOf(""), "PBitmask::fromDbString null/empty input string");
    EXPECT_EQ(ErrorOf(std::string(65, '1').c_str()),
              "PBitmask::fromDbString input string too long: 65 > 64");
    EXPECT_EQ(ErrorOf(std::string(300, '1').c_str()),
              "PBitmask::fromDbString input string too long: 300 > 64");
    EXPECT_EQ(ErrorOf("12G4"), "PBitmask: invalid hex char");
    EXPECT_EQ(ErrorOf("0x12"), "PBitmask: invalid hex char");
    EXPECT_EQ(ErrorOf(" 1"), "PBitmask: invalid hex char");
}

TEST(PBitmaskTest, UnionRemovalAndIntersection) {
    PBitmask a = Bits({0, 64, 200});
    const PBitmask b = Bits({64, 130});
    EXPECT_TRUE(a.intersects(b));
    a |= b;
    EXPECT_EQ(a, Bits({0, 64, 130, 200}));
    a.remove(b);
    EXPECT_EQ(a, Bits({0, 200}));
    EXPECT_FALSE(a.intersects(b));
    EXPECT_FALSE(PBitmask().intersects(PBitmask()));
    EXPECT_TRUE(PBitmask().none());
}

struct ShiftCase {
    int n;
    std::vector<int> before;
    std::vector<int> after;
};

TEST(PBitmaskTest, ShiftMovesBitsAcrossWordsAndDropsThemAtTheTop) {
    const ShiftCase cases[] = {
        {0, {5}, {5}},
        {1, {63}, {64}},
        {63, {1, 100}, {64, 163}},
        {64, {0, 191}, {64, 255}},
        {65, {0, 10}, {65, 75}},
        {130, {0, 125, 126}, {130, 255}},
        {200, {55, 56}, {255}},
        {255, {0}, {255}},
        {256, {0}, {}},
        {1000, {0}, {}},
    };
    for (const ShiftCase& c : cases) {
        PBitmask m = Bits(c.before);
        m <<= c.n;
        EXPECT_EQ(m, Bits(c.after)) << "shift " << c.n;
    }
}

TEST(PBitmaskTest, NegativeShiftThrows) {
    PBitmask m = Bits({3});
    try {
        m <<= -1;
        FAIL() << "no error";
    } catch (const PError& e) {
        EXPECT_STREQ(e.why(), "PBitmask operator<<= invalid arg");
    }
    EXPECT_EQ(m, Bits({3}));
}

TEST(PBitmaskTest, BitsOutsideTheSetAreIgnored) {
    PBitmask m;
    m.set(-1);
    m.set(256);
    EXPECT_TRUE(m.none());
    EXPECT_FALSE(m.test(256));
    EXPECT_FALSE(m.test(-3));
}

}  // namespace
