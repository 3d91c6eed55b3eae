#include "installer/ZembricoInstall/installlocation.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "installer/core/installspace.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// Unique to this test: the prefix is shared with every other test.
const char kDisplayName[] = "ZbLocationTest Poker";

class UninstallEntry {
  public:
    UninstallEntry() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, path().c_str()); }
    ~UninstallEntry() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, path().c_str()); }
    void writeLocation(const wchar_t* location) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path().c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(location),
                       static_cast<DWORD>((wcslen(location) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

  private:
    static std::wstring path() { return std::wstring(kUninstallKey) + L"ZbLocationTest Poker"; }
};

// Counts the archive-size questions and answers a fixed size.
struct ArchiveSizeProbe {
    std::vector<std::uint32_t> clusterSizes;
    ArchiveSizeAt function() {
        return [this](std::uint32_t clusterSize) {
            clusterSizes.push_back(clusterSize);
            return std::uint32_t{3u << 20};
        };
    }
};

}  // namespace

TEST(InstallLocation, PreviousLocationIsReadAndAnEmptyOneCountsAsNone) {
    UninstallEntry entry;
    EXPECT_FALSE(ReadPreviousInstallLocation(kDisplayName).has_value());
    entry.writeLocation(L"D:\\Games\\X");
    EXPECT_EQ(ReadPreviousInstallLocation(kDisplayName), "D:\\Games\\X");
    entry.writeLocation(L"");
    EXPECT_FALSE(ReadPreviousInstallLocation(kDisplayName).has_value());
}

TEST(InstallLocation, DefaultFoldersFollowRightsAndVersion) {
    InstallParameters params;
    params.workFolderName = "Zembrico.FR";
    // The 32-bit view's programs folder of the machine.
    EXPECT_EQ(ComputeDefaultFolder(params), "C:\\Program Files (x86)\\Zembrico.FR");
    ComputeShellFolders(params);
    EXPECT_FALSE(params.desktopFolder.empty());
    EXPECT_FALSE(params.programsFolder.empty());
    EXPECT_FALSE(params.startMenuFolder.empty());
    EXPECT_TRUE(params.commonDesktopFolder.empty());
    EXPECT_TRUE(params.commonProgramsFolder.empty());
    EXPECT_TRUE(params.commonStartMenuFolder.empty());
    EXPECT_TRUE(params.localAppDataFolder.empty());
    const std::string suffix = "\\Microsoft\\Internet Explorer\\Quick Launch";
    ASSERT_GT(params.quickLaunchFolder.size(), suffix.size());
    EXPECT_EQ(params.quickLaunchFolder.substr(params.quickLaunchFolder.size() - suffix.size()),
              suffix);

    InstallParameters admin;
    admin.hasAdminRights = 1;
    admin.useLocalAppData = 1;
    ComputeShellFolders(admin);
    EXPECT_FALSE(admin.commonDesktopFolder.empty());
    EXPECT_FALSE(admin.commonProgramsFolder.empty());
    EXPECT_FALSE(admin.commonStartMenuFolder.empty());
    EXPECT_FALSE(admin.localAppDataFolder.empty());
    EXPECT_NE(admin.commonDesktopFolder, admin.desktopFolder);
}

TEST(InstallLocation, SpaceIsMeasuredOncePerDriveLetter) {
    ForgetSpaceCache();
    ArchiveSizeProbe probe;
    std::uint64_t available = 1, required = 1;
    ASSERT_TRUE(SpaceForPath("C:\\Program Files\\Zembrico", available, required, probe.function()));
    EXPECT_GT(available, 0u);
    EXPECT_EQ(required, ShownRequiredSpace(3u << 20));
    EXPECT_EQ(probe.clusterSizes, std::vector<std::uint32_t>{4096});

    // Same letter: the cache answers.
    ASSERT_TRUE(SpaceForPath("C:\\Other", available, required, probe.function()));
    EXPECT_EQ(probe.clusterSizes.size(), 1u);
    // The letter compares exactly: "c" is measured anew.
    ASSERT_TRUE(SpaceForPath("c:\\Other", available, required, probe.function()));
    EXPECT_EQ(probe.clusterSizes.size(), 2u);

    // A share has no drive: zero amounts and the last measurement's flag.
    EXPECT_TRUE(SpaceForPath("\\\\server\\share\\Zembrico", available, required, probe.function()));
    EXPECT_EQ(available, 0u);
    EXPECT_EQ(required, 0u);

    // A drive that does not exist: not measured, and the flag sticks for shares.
    EXPECT_FALSE(SpaceForPath("B:\\Zembrico", available, required, probe.function()));
    EXPECT_EQ(available, 0u);
    EXPECT_EQ(required, kInstallSpareSpace);
    EXPECT_FALSE(SpaceForPath("\\\\server\\share", available, required, probe.function()));
    ForgetSpaceCache();
}

TEST(InstallLocation, MarkedUtf8PathIsMeasuredByItsDrive) {
    ForgetSpaceCache();
    ArchiveSizeProbe probe;
    std::uint64_t available = 0, required = 0;
    EXPECT_TRUE(
        SpaceForPath("\x10"
                     "C:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B",
                     available, required, probe.function()));
    EXPECT_GT(available, 0u);
    ForgetSpaceCache();
}

TEST(InstallLocation, UnmeasuredDriveGivesEmptyLabelsAndBlocksInstall) {
    ForgetSpaceCache();
    ArchiveSizeProbe probe;
    const SpaceLabels labels = ComputeSpaceLabels("B:\\Zembrico", 0, probe.function());
    EXPECT_FALSE(labels.measured);
    EXPECT_TRUE(labels.requiredText.empty());
    EXPECT_TRUE(labels.availableText.empty());
    EXPECT_FALSE(labels.sufficient());
    ForgetSpaceCache();
}

TEST(InstallLocation, BrowserAcceptsOnlyFoldersBelowFixedDriveRoots) {
    EXPECT_FALSE(FolderBrowserMayAccept(nullptr));
    EXPECT_FALSE(FolderBrowserMayAccept(L"C:\\"));
    EXPECT_FALSE(FolderBrowserMayAccept(L"C:"));
    EXPECT_TRUE(FolderBrowserMayAccept(L"C:\\Games"));
    EXPECT_FALSE(FolderBrowserMayAccept(L"\\\\server\\share\\Games"));
    EXPECT_FALSE(FolderBrowserMayAccept(L"B:\\Games"));
}
