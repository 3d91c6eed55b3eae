#include "plib/pstring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

TEST(PStringTest, EmptyStringHasNoBufferAndReadsAsEmptyText) {
    PString s;
    EXPECT_EQ(s.data(), nullptr);
    EXPECT_EQ(s.size(), 0u);
    EXPECT_STREQ(s.c_str(), "");
    PString fromNull(static_cast<const char*>(nullptr));
    EXPECT_EQ(fromNull.size(), 0u);
}

TEST(PStringTest, SizeCountsTheTerminatingZero) {
    PString s("abc");
    EXPECT_EQ(s.size(), 4u);
    EXPECT_EQ(s.length(), 3u);
    EXPECT_EQ(s.capacity(), 64u);  // built by appending
}

TEST(PStringTest, AppendingToAnEmptyStringAllocates64BytesThenDoubles) {
    PString s;
    s.append('x');
    EXPECT_EQ(s.capacity(), 64u);
    s.append(std::string(63, 'y').c_str());  // 64 characters + zero = 65 bytes
    EXPECT_EQ(s.size(), 65u);
    EXPECT_EQ(s.capacity(), 130u);
    EXPECT_EQ(s.view(), "x" + std::string(63, 'y'));
}

TEST(PStringTest, MaximumLengthStopsAtTheFirstZeroByte) {
    EXPECT_EQ(PString("abcdef", 3), "abc");
    EXPECT_EQ(PString("ab\0cd", 5), "ab");
    PString s("x");
    s.append("12345", 2).append("a\0b", 3);
    EXPECT_EQ(s, "x12a");
}

TEST(PStringTest, AppendingTheZeroCharacterDoesNothing) {
    PString s("a");
    s.append('\0');
    EXPECT_EQ(s.size(), 2u);
    PString empty;
    empty.append('\0').append("").append(static_cast<const char*>(nullptr));
    EXPECT_EQ(empty.data(), nullptr);
}

TEST(PStringTest, AssignmentReusesTheBufferUnlessTooSmallOrMoreThanTwiceTooBig) {
    PString s(std::string(99, 'a').c_str());  // size 100, capacity 200
    ASSERT_EQ(s.capacity(), 200u);
    s = std::string(99, 'b').c_str();  // 100 needed: reused
    EXPECT_EQ(s.capacity(), 200u);
    s = std::string(99, 'c').c_str();
    s.assign(std::string(150, 'd').c_str());  // 151 fits in 200
    EXPECT_EQ(s.capacity(), 200u);
    s = std::string(98, 'e').c_str();  // 99 needed, 200 > 2 * 99: new exact buffer
    EXPECT_EQ(s.capacity(), 99u);
    EXPECT_EQ(s.view(), std::string(98, 'e'));
    s = std::string(200, 'f').c_str();  // too small: exact
    EXPECT_EQ(s.capacity(), 201u);
}

TEST(PStringTest, SmallBuffersAreKeptByAssignment) {
    PString s("0123456789");  // capacity 64
    s = "a";
    EXPECT_EQ(s.capacity(), 64u);
    EXPECT_EQ(s, "a");
}

TEST(PStringTest, AssigningPartOfItselfIsSafe) {
    PString s(std::string(150, 'x').append("tail").c_str());
    s.assign(s.c_str() + 150);  // shrinks: the source lives in the freed buffer
    EXPECT_EQ(s, "tail");
    s.append(s.c_str());
    EXPECT_EQ(s, "tailtail");
    PString copy(s);
    const PString& same = copy;
    copy = same;
    EXPECT_EQ(copy, "tailtail");
}

TEST(PStringTest, CopyHasExactSizeAndMoveLeavesEmpty) {
    PString s("abc");
    PString copy(s);
    EXPECT_EQ(copy.capacity(), 4u);
    PString moved(std::move(s));
    EXPECT_EQ(moved, "abc");
    EXPECT_EQ(s.size(), 0u);  // NOLINT: moved-from is defined empty
}

TEST(PStringTest, Numbers) {
    PString s;
    s.appendDecimal(std::int32_t{-2147483647 - 1})
        .append(' ')
        .appendDecimal(std::uint32_t{4294967295u})
        .append(' ')
        .appendDecimal(std::numeric_limits<std::int64_t>::min())
        .append(' ')
        .appendDecimal(std::numeric_limits<std::uint64_t>::max())
        .append(' ')
        .appendHex(std::uint32_t{0xBC614E})
        .append(' ')
        .appendHex(std::uint32_t{0})
        .append(' ')
        .appendHex(std::uint64_t{0xDEADBEEF00000001ull});
    EXPECT_EQ(s,
              "-2147483648 4294967295 -9223372036854775808 18446744073709551615 BC614E 0 "
              "DEADBEEF00000001");
}

TEST(PStringTest, CaseChangesTouchOnlyAsciiLetters) {
    PString s("aZ\xE9\xC9[`@{");
    s.toUpper();
    EXPECT_EQ(s, "AZ\xE9\xC9[`@{");
    s.toLower();
    EXPECT_EQ(s, "az\xE9\xC9[`@{");
}

TEST(PStringTest, CompareNoCaseOrdersAsUpperCase) {
    EXPECT_EQ(PString::compareNoCase("Hello", "hELLO"), 0);
    EXPECT_LT(PString::compareNoCase("abc", "abd"), 0);
    EXPECT_GT(PString::compareNoCase("abc", "ab"), 0);
    // '_' (0x5F) lies between the upper-case and lower-case letters: as upper case 'a' < '_'.
    EXPECT_LT(PString::compareNoCase("a", "_"), 0);
    EXPECT_EQ(PString::compareNoCase(nullptr, ""), 0);
}

TEST(PStringTest, FindNoCase) {
    EXPECT_EQ(PString::findNoCase("C:\\Program Files\\Zembrico", "zembrico"), 17u);
    EXPECT_EQ(PString::findNoCase("abc", ""), 0u);
    EXPECT_EQ(PString::findNoCase("", ""), 0u);
    EXPECT_EQ(PString::findNoCase("abc", "abcd"), PString::npos);
    EXPECT_EQ(PString::findNoCase("aab", "AB"), 1u);
    EXPECT_EQ(PString::findNoCase(nullptr, "a"), PString::npos);
}

TEST(PStringTest, EndsWithAndBlanks) {
    EXPECT_TRUE(PString("setup.exe").endsWith(".exe"));
    EXPECT_FALSE(PString("setup.exe").endsWith(".EXE"));
    EXPECT_FALSE(PString("xe").endsWith(".exe"));
    EXPECT_TRUE(PString().endsWith(""));
    const char* text = " \t value \t ";
    const char* begin = PString::skipBlanks(text);
    EXPECT_STREQ(begin, "value \t ");
    const char* end = PString::trimmedEnd(begin, text + std::char_traits<char>::length(text));
    EXPECT_EQ(std::string(begin, end), "value");
    const char* blanks = "  ";
    EXPECT_EQ(PString::trimmedEnd(blanks, blanks + 2), blanks);
}

TEST(PStringTest, TruncateKeepsTheBuffer) {
    PString s("abcdef");
    s.truncate(2);
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(s.size(), 3u);
    s.truncate(10);
    EXPECT_EQ(s, "ab");
}

}  // namespace
