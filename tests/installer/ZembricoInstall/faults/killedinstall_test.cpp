#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "installer/ZembricoInstall/clientsocket.h"
#include "installer/ZembricoInstall/faults/faultinstall.h"
#include "installer/core/installcodes.h"
#include "installer/core/registrationplan.h"

namespace fs = std::filesystem;

namespace {

using KilledInstallTest = WholeInstallTest;

int CountEntries(const fs::path& folder, const std::string& extension) {
    if (!fs::is_directory(folder)) return 0;
    return static_cast<int>(std::count_if(
        fs::recursive_directory_iterator(folder), fs::recursive_directory_iterator(),
        [&](const fs::directory_entry& entry) { return entry.path().extension() == extension; }));
}

// Uninstall entries whose name begins with `displayName`.
int CountUninstallEntries(const std::string& displayName) {
    HKEY uninstall = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeyPrefix, 0, KEY_READ, &uninstall) !=
        ERROR_SUCCESS)
        return -1;
    int count = 0;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(uninstall, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (std::string(name).rfind(displayName, 0) == 0) ++count;
    }
    RegCloseKey(uninstall);
    return count;
}

TEST_F(KilledInstallTest, RerunAfterTheProcessWasKilledDuringExtraction) {
    const std::string packed(payload_.begin(), payload_.end());
    WriteFile(root_ / "payload.bin", packed);
    ChildProcess child("DISABLED_InstallHeldAtFile", {{"ZB_FAULT_ROOT", root_.string()},
                                                      {"ZB_FAULT_NAME", params_.displayName},
                                                      {"ZB_FAULT_HOLD_AT", "4"}});
    ASSERT_TRUE(child.waitReady());
    child.kill();
    // The killed run leaves three files, the fourth created empty, and nothing registered.
    ExpectFilesUpTo(3, Next::kEmpty);
    EXPECT_FALSE(KeyExists(Key()));
    const std::vector<std::string> killedLog = LogLines(Installed("Install.log"));
    EXPECT_GE(FindLine(killedLog, Files()[2].first), 0);
    EXPECT_LT(FindLine(killedLog, Files()[3].first), 0) << "a held file is logged when it goes on";
    EXPECT_LT(FindLine(killedLog, "Install finished"), 0);

    EXPECT_EQ(Install(), ProgressThen(Files().size(), kInstallComplete));
    ExpectEveryFileInstalled();
    EXPECT_EQ(CountUninstallEntries(params_.displayName), 1);
    EXPECT_EQ(ReadValue(Key(), "InstallLocation").text, params_.installFolder);
    // Every shortcut once: the uninstall one in the install folder, two in the program group,
    // one on the desktop and one in the Start menu.
    EXPECT_EQ(CountEntries(params_.installFolder, ".lnk"), 1);
    EXPECT_EQ(CountEntries(fs::path(params_.programsFolder) / params_.displayName, ".lnk"), 2);
    EXPECT_EQ(CountEntries(params_.desktopFolder, ".lnk"), 1);
    EXPECT_EQ(CountEntries(params_.startMenuFolder, ".lnk"), 1);
    const std::vector<std::string> lines = LogLines(Installed("Install.log"));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Install finished"), 1);
}

// Installs as the parent describes and holds at the start of a file until it is killed.
TEST(FaultChild, DISABLED_InstallHeldAtFile) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InitializeSockets();
    ASSERT_EQ(LoadEnglishMessages(), "");
    const fs::path root = Environment("ZB_FAULT_ROOT");
    const InstallParameters params = WholeInstallParameters(root, Environment("ZB_FAULT_NAME"));
    const std::string payload = ReadFile(root / "payload.bin");
    const std::uint32_t holdAt = std::stoul(Environment("ZB_FAULT_HOLD_AT"));
    InstallerWorkerThread worker(kNoCollector, [&] {
        return std::span(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size());
    });
    worker.fileStartedObserver = [&](std::uint32_t index) {
        if (index != holdAt) return;
        worker.controlState = kWorkerPause;
        SignalParent();
    };
    ASSERT_TRUE(worker.start(params, nullptr, 0));
    HoldUntilParentEnds();
}

}  // namespace
