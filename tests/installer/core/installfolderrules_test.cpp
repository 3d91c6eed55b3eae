#include "installer/core/installfolderrules.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Windows ignores case; for these names ASCII is enough.
bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

ReservedFolders Reserved() {
    ReservedFolders reserved;
    reserved.withEverythingBelow = {"C:\\Windows"};
    reserved.themselves = {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\ProgramData",
                           "C:\\Users\\ann\\Desktop\\", ""};
    reserved.withChildren = {"C:\\Users"};
    return reserved;
}

bool Usable(const char* folder) {
    return IsUsableInstallFolder(folder, Reserved(), SameIgnoringAsciiCase);
}

TEST(IsUsableInstallFolder, AFolderOfItsOwnIsUsable) {
    for (const char* folder :
         {"C:\\Program Files (x86)\\Zembrico", "c:\\program files\\Zembrico Poker",
          "D:\\Games\\Zembrico", "C:\\Games\\Zembrico\\", "C:\\ProgramData\\Zembrico",
          "C:\\Users\\ann\\AppData\\Local\\Zembrico", "C:\\Users\\ann\\Desktop\\Zembrico",
          "C:\\WindowsApps\\Zembrico", "\\\\server\\share\\Zembrico",
          "\x10"
          "C:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\\Zembrico",
          "C:\\Caf\xE9"})
        EXPECT_TRUE(Usable(folder)) << folder;
}

TEST(IsUsableInstallFolder, DriveRootsAndSharesAreRefused) {
    for (const char* folder : {"C:", "C:\\", "c:\\", "C:\\\\", "Z:", "\\\\server\\share",
                               "\\\\server\\share\\", "\\\\server", "\\\\", "\\"})
        EXPECT_FALSE(Usable(folder)) << folder;
}

TEST(IsUsableInstallFolder, SystemAndUserFoldersAreRefused) {
    for (const char* folder :
         {"C:\\Windows", "c:\\WINDOWS\\", "C:\\Windows\\System32", "C:\\Windows\\Temp\\Zembrico",
          "C:\\Program Files", "C:\\program files (x86)\\", "C:\\ProgramData",
          "C:\\Users\\ann\\Desktop", "C:\\Users", "C:\\Users\\ann", "C:\\Users\\Public"})
        EXPECT_FALSE(Usable(folder)) << folder;
}

// A text that Windows reads as another folder than it shows, or as no folder at all.
TEST(IsUsableInstallFolder, TextsThatNameAnotherPlaceAreRefused) {
    for (const char* folder :
         {"Zembrico", "Games\\Zembrico", "\\Games\\Zembrico", "C:Games", "C:/Games/Zembrico",
          "C:\\Games/Zembrico", "C:\\Program Files\\..\\Windows\\Zembrico", "C:\\.\\Zembrico",
          "C:\\Games\\\\Zembrico", "C:\\Games.\\Zembrico", "C:\\Games \\Zembrico",
          "C:\\Games\\Zembrico\\\\", "C:\\Games\\con", "C:\\Games\\a:stream", "\\\\?\\C:\\Zembrico",
          "\\\\.\\C:\\Zembrico", "1:\\Zembrico", "C:\\Zem\tbrico"})
        EXPECT_FALSE(Usable(folder)) << folder;
}

TEST(LiesBelowAny, OnlyStrictlyBelowARoot) {
    const std::vector<std::string> roots = {"C:\\Program Files", "C:\\Program Files (x86)\\"};
    EXPECT_TRUE(LiesBelowAny("C:\\Program Files\\Zembrico", roots, SameIgnoringAsciiCase));
    EXPECT_TRUE(LiesBelowAny("c:\\PROGRAM FILES (X86)\\Z\\", roots, SameIgnoringAsciiCase));
    EXPECT_FALSE(LiesBelowAny("C:\\Program Files", roots, SameIgnoringAsciiCase));
    EXPECT_FALSE(LiesBelowAny("C:\\Program FilesX\\Z", roots, SameIgnoringAsciiCase));
    EXPECT_FALSE(LiesBelowAny("C:\\Games\\Zembrico", roots, SameIgnoringAsciiCase));
    EXPECT_FALSE(LiesBelowAny("C:\\Games\\Zembrico", {}, SameIgnoringAsciiCase));
}

}  // namespace
