#include "installer/ZembricoInstall/installlog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "installer/core/earlylogqueue.h"
#include "plib/plog.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(InstallLogSession, WaitingLinesAndItsOwnReachInstallLogWhichIsClosedAfter) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / "zb_installlog_test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    ASSERT_FALSE(PLogIsOn());

    EarlyLog("logged after the worker closed the log");
    {
        const InstallLogSession log(folder.string());
        EXPECT_TRUE(PLogIsOn());
        EarlyLog("Launch main app: 'x'");
    }
    EXPECT_FALSE(PLogIsOn());
    EarlyLog("after the session");

    const std::vector<std::string> lines = ReadLines(folder / "Install.log");
    const auto waited =
        std::find(lines.begin(), lines.end(), "logged after the worker closed the log");
    ASSERT_NE(waited, lines.end());
    EXPECT_NE(std::find(waited, lines.end(), "Launch main app: 'x'"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "after the session"), lines.end());
    fs::remove_all(folder);
}

}  // namespace
