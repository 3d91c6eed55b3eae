#include "installer/ZembricoInstall/launchmainapp.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "installer/core/capturelog.h"

namespace {

TEST(LaunchMainApp, MissingLauncherIsLoggedWithFileNotFound) {
    InstallParameters params;
    params.brand = "Zembrico";
    params.oid = "5";
    params.installFolder = std::filesystem::temp_directory_path().string();
    ScopedCaptureLog log;
    LaunchMainApp(params);
    const std::string app = params.installFolder + "\\ZembricoUpdate.exe";
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Launch main app: 'ZembricoUpdate.exe --o:5'",
                                                     "Cannot launch (2): '" + app +
                                                         "' with 'ZembricoUpdate.exe --o:5' in '" +
                                                         params.installFolder + "'"}));
}

// The end-to-end tests' launcher, which records its command line in "launched.txt" beside
// itself, copied as the launcher of an installation of brand "" with oid 7 in a folder of its
// own.
class LaunchTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("zblaunch-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        // Wine reuses process ids, so an earlier run may have left these; MinGW's copy_file
        // does not honour overwrite_existing, hence the explicit removal.
        std::error_code ignored;
        std::filesystem::remove(folder_ / "Update.exe", ignored);
        std::filesystem::remove(record(), ignored);
        std::filesystem::copy_file(std::filesystem::path(self).parent_path() / "zbfakelauncher.exe",
                                   folder_ / "Update.exe");
        params_.brand = "";
        params_.oid = "7";
        params_.installFolder = folder_.string();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::filesystem::path record() const { return folder_ / "launched.txt"; }
    // The launcher's command line once it has written it; a safety net of two minutes.
    std::string launchedWith() const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        std::error_code error;
        while (std::filesystem::file_size(record(), error) == 0 || error) {
            if (std::chrono::steady_clock::now() > end) return "(not started)";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::ifstream in(record(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path folder_;
    InstallParameters params_;
};

TEST_F(LaunchTest, StartsTheLauncherAsTheSignedInUserThroughTheDesktopShell) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ScopedCaptureLog log;
        LaunchMainApp(params_);
        EXPECT_EQ(log.lines(), std::vector<std::string>{"Launch main app: 'Update.exe --o:7'"});
    }
    const std::string commandLine = launchedWith();
    // The shell names the program by its path; the arguments are the launch's own.
    EXPECT_TRUE(commandLine.ends_with("Update.exe\" --o:7") ||
                commandLine.ends_with("Update.exe --o:7"))
        << commandLine;
    if (SUCCEEDED(com)) CoUninitialize();
}

TEST_F(LaunchTest, StartsTheLauncherDetachedItselfAndSaysSoWhereNoShellTakesIt) {
    // Without COM on the thread no shell can be asked.
    std::vector<std::string> lines;
    std::thread([&] {
        ScopedCaptureLog log;
        LaunchMainApp(params_);
        lines = log.lines();
    }).join();
    const std::string app = params_.installFolder + "\\Update.exe";
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Launch main app: 'Update.exe --o:7'",
                         "No desktop shell to start '" + app +
                             "' as the signed-in user (0x800401f0): started with the setup "
                             "program's rights"}));
    EXPECT_EQ(launchedWith(), "Update.exe --o:7");
}

}  // namespace
