#include "installer/core/commandline.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace {

using Tokens = std::vector<std::string_view>;

bool LaunchAfter(std::string_view commandLine) {
    CommandLineOptions options;
    options.launch = true;
    ParseCommandLine(commandLine, options);
    return options.launch;
}

}  // namespace

TEST(CommandLine, SplitsAtSpacesAndQuotesWithoutEmptyTokens) {
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\setup.exe\"  -NoLaunch"),
              (Tokens{"C:\\Program", "Files\\setup.exe", "-NoLaunch"}));
    EXPECT_EQ(SplitCommandLine("a\"b\"\"c  d"), (Tokens{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitCommandLine("  \"\" \" "), Tokens{});
    EXPECT_EQ(SplitCommandLine(""), Tokens{});
}

TEST(CommandLine, LaunchStartsFalse) {
    EXPECT_FALSE(CommandLineOptions{}.launch);
}

TEST(CommandLine, NoLaunchTokenClearsTheFlagInAnyLetterCase) {
    EXPECT_FALSE(LaunchAfter("-nolaunch"));
    EXPECT_FALSE(LaunchAfter("-NoLaunch"));
    EXPECT_FALSE(LaunchAfter("  -NOLAUNCH  "));
    // A quoted path with a space in front of it: split inside the path, the token still found.
    EXPECT_FALSE(LaunchAfter("\"C:\\Program Files\\Setup\\ZembricoInstall.exe\" -NoLaunch"));
    EXPECT_FALSE(LaunchAfter("setup.exe\"-nolaunch\""));
}

TEST(CommandLine, OnlyTheWholeTokenCounts) {
    EXPECT_TRUE(LaunchAfter("setup.exe -nolaunchx"));
    EXPECT_TRUE(LaunchAfter("setup.exe -nolaunch=1"));
    EXPECT_TRUE(LaunchAfter("setup.exe nolaunch"));
    EXPECT_TRUE(LaunchAfter("setup.exe --nolaunch"));
    EXPECT_TRUE(LaunchAfter("setup.exe -nolaunc"));
    EXPECT_TRUE(LaunchAfter(""));
}
