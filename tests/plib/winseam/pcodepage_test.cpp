#include "plib/winseam/pcodepage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::wstring Wide(const PUtf16Block& block) {
    return std::wstring(block.c_str(), block.units());
}

TEST(CodePageTest, AsciiRoundTrips) {
    PUtf16Block wide;
    PAnsiToUtf16(wide, PString("C:\\Program Files\\Zembrico"));
    EXPECT_EQ(Wide(wide), L"C:\\Program Files\\Zembrico");
    EXPECT_EQ(wide.c_str()[wide.units()], 0);
    PString back;
    PUtf16ToAnsi(back, wide.c_str());
    EXPECT_EQ(back, "C:\\Program Files\\Zembrico");
}

TEST(CodePageTest, EmptyTexts) {
    PUtf16Block wide;
    PAnsiToUtf16(wide, PString("old"));
    PAnsiToUtf16(wide, PString());
    EXPECT_EQ(wide.units(), 0u);
    EXPECT_EQ(wide.c_str()[0], 0);
    PString narrow("old");
    PUtf16ToAnsi(narrow, L"");
    EXPECT_TRUE(narrow.empty());
}

TEST(CodePageTest, CodePageCharactersConvertByTheActiveCodePage) {
    // The byte for e-acute depends on the code page; what matters is that it comes back.
    PString narrow;
    PUtf16ToAnsi(narrow, L"caf\u00E9");
    PUtf16Block wide;
    PAnsiToUtf16(wide, narrow);
    if (GetACP() == 1252) {
        EXPECT_EQ(narrow, "caf\xE9");
    }
    EXPECT_EQ(Wide(wide), L"caf\u00E9");
}

}  // namespace
