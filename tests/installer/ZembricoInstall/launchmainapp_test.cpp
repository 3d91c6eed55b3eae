#include "installer/ZembricoInstall/launchmainapp.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
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

TEST(LaunchMainApp, StartsTheLauncherDetached) {
    // A program every system has stands in for the launcher; it is started, not waited for.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("zblaunch-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    // Wine reuses process ids, so an earlier run may have left this copy; MinGW's copy_file
    // does not honour overwrite_existing, hence the explicit removal.
    std::error_code ignored;
    std::filesystem::remove(folder / "Update.exe", ignored);
    std::filesystem::copy_file(std::string(system) + "\\hostname.exe", folder / "Update.exe");
    InstallParameters params;
    params.brand = "";
    params.installFolder = folder.string();
    ScopedCaptureLog log;
    LaunchMainApp(params);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Launch main app: 'Update.exe'"});
}

}  // namespace
