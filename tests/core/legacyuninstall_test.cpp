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
