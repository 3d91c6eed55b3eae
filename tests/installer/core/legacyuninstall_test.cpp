#include "installer/core/legacyuninstall.h"

#include <gtest/gtest.h>

TEST(LegacyUninstall, WellFormedValueGivesTheUninstallersPath) {
    EXPECT_EQ(LegacyUninstallerPath("\"C:\\Program Files\\Old Poker\\uninst.exe\" /u:OldPoker",
                                    "OldPoker"),
              "C:\\Program Files\\Old Poker\\uninst.exe");
}

TEST(LegacyUninstall, ValueWithoutTheTailLosesItsLastCharacters) {
    // Only lengths count: a quoted path without " /u:NAME" is cut just the same.
    EXPECT_EQ(LegacyUninstallerPath("\"C:\\Old\\uninstall.exe\"", "Old"), "C:\\Old\\uninst");
}

TEST(LegacyUninstall, TooShortValuesGiveNothing) {
    EXPECT_EQ(LegacyUninstallerPath("", "X"), std::nullopt);
    EXPECT_EQ(LegacyUninstallerPath("\"", ""), std::nullopt);
    // Six characters after the quote with a one-character name: nothing would be left.
    EXPECT_EQ(LegacyUninstallerPath("\"\" /u:X", "X"), std::nullopt);
    EXPECT_EQ(LegacyUninstallerPath("\"a\" /u:X", "X"), "a");
}

TEST(LegacyUninstall, CommandLineIsTheUnquotedCopyPathAndTheName) {
    EXPECT_EQ(LegacyUninstallCommandLine("C:\\Users\\me\\Temp\\_unps.exe", "OldPoker"),
              "C:\\Users\\me\\Temp\\_unps.exe /u:OldPoker");
}

TEST(LegacyUninstall, MarkedValueCountsCodePointsAndKeepsTheMarker) {
    // "\x10" then UTF-8: a Cyrillic user's folder (Иван) and a Japanese file name (削除).
    const std::string folder = "\x10\"C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\";
    EXPECT_EQ(LegacyUninstallerPath(folder + "\xE5\x89\x8A\xE9\x99\xA4.exe\" /u:Old", "Old"),
              "\x10"
              "C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\\xE5\x89\x8A\xE9\x99\xA4.exe");
    // Lengths in characters: "\x10\"Ж\" /u:X" leaves the one letter, "\x10\"\" /u:X" nothing.
    EXPECT_EQ(LegacyUninstallerPath("\x10\"\xD0\x96\" /u:X", "X"), "\x10\xD0\x96");
    EXPECT_EQ(LegacyUninstallerPath("\x10\"\" /u:X", "X"), std::nullopt);
    EXPECT_EQ(LegacyUninstallerPath("\x10\xD0\x96", "X"), std::nullopt);
}
