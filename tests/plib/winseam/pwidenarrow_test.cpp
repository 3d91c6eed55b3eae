#include "plib/winseam/pwidenarrow.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PToWideAndPFromWide, SystemTextComesBackAsTheSameUnits) {
    const std::wstring texts[] = {
        L"Zembrico",
        L"C:\\\x041F\x0440\x0438\x0432\x0435\x0442\\\x65E5\x672C",
        // A pair and an unpaired surrogate: file names may hold either.
        {L'a', static_cast<wchar_t>(0xD83C), static_cast<wchar_t>(0xDCA1), L'b',
         static_cast<wchar_t>(0xD800), L'c'},
    };
    for (const std::wstring& wide : texts) {
        EXPECT_EQ(PToWide(PFromWide(wide.c_str())), wide);
        EXPECT_EQ(PToWide(PFromWide(wide.c_str(), wide.size())), wide);
    }
}

TEST(PToWideAndPFromWide, AsciiStaysAsItIs) {
    EXPECT_EQ(PToWide(PString("Install.log")), L"Install.log");
    EXPECT_EQ(PFromWide(L"Install.log"), PString("Install.log"));
    EXPECT_TRUE(PToWide(PString()).empty());
    EXPECT_EQ(PFromWide(L""), PString(""));
}

TEST(PToWideAndPFromWide, TheTextEndsAtTheUnitCountOrAZeroUnit) {
    EXPECT_EQ(PFromWide(L"abcdef", 3), PString("abc"));
    const wchar_t withZero[] = {L'a', L'b', 0, L'c', L'd'};
    EXPECT_EQ(PFromWide(withZero, 5), PString("ab"));
}

}  // namespace
