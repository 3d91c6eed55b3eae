#include "installer/ZembricoInstall/installfolder.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <string>

#include "installer/ZembricoInstall/installlocation.h"
#include "plib/tempfolder.h"
#include "plib/win/plantedlink.h"
#include "plib/win/plinkfree.h"

namespace fs = std::filesystem;

namespace {

std::string WindowsFolder() {
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

TEST(InstallFolderIsUsable, DrivesAndTheSystemsFoldersAreRefused) {
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    ASSERT_FALSE(profile.empty());
    for (const std::string& folder :
         {std::string("C:"), std::string("C:\\"), std::string("c:\\\\"), WindowsFolder(),
          WindowsFolder() + "\\System32\\Zembrico", ShellFolder(CSIDL_PROGRAM_FILES),
          ShellFolder(CSIDL_COMMON_APPDATA), profile, profile.substr(0, profile.rfind('\\')),
          profile.substr(0, profile.rfind('\\')) + "\\Someone", ShellFolder(CSIDL_LOCAL_APPDATA),
          ShellFolder(CSIDL_COMMON_STARTMENU), std::string("C:\\Zembrico\\..\\Windows"),
          std::string("C:Zembrico")})
        EXPECT_FALSE(InstallFolderIsUsable(folder)) << folder;
}

TEST(InstallFolderIsUsable, AFolderOfItsOwnIsUsable) {
    for (const std::string& folder :
         {ShellFolder(CSIDL_PROGRAM_FILES) + "\\Zembrico", std::string("C:\\ZbGames\\Zembrico"),
          ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Zembrico"})
        EXPECT_TRUE(InstallFolderIsUsable(folder)) << folder;
}

// A folder is judged where the system resolves it: its part that exists, links followed, and
// the rest as written (a link into the Windows folder is then judged as that folder).
TEST(ResolvedFolder, FollowsTheWayAsFarAsItExists) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / "target");
    const PlantedLink link(folder.path() / "games", folder.path() / "target");
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    EXPECT_TRUE(PSamePath(ResolvedFolder(folder.file("games\\new\\Zembrico")),
                          folder.file("target\\new\\Zembrico")))
        << ResolvedFolder(folder.file("games\\new\\Zembrico"));
    EXPECT_TRUE(PSamePath(ResolvedFolder(folder.file("games")), folder.file("target")));
    EXPECT_EQ(ResolvedFolder("Q:\\none\\Zembrico"), "Q:\\none\\Zembrico");
}

TEST(MakeInstallFolder, ProtectsWhatLiesOutsideTheProgramsFolders) {
    TempFolder folder;
    std::string protection;
    ASSERT_TRUE(MakeInstallFolder(folder.file("new\\Zembrico"), protection));
    EXPECT_TRUE(fs::is_directory(folder.path() / "new" / "Zembrico"));
    EXPECT_EQ(protection, "Install folder made for administrators: users may only read it");
    ASSERT_TRUE(MakeInstallFolder(folder.file("new\\Zembrico"), protection));
    EXPECT_EQ(protection, "Install folder protected: users may only read it");

    const std::string programs = ShellFolder(CSIDL_PROGRAM_FILES) + "\\ZbMakeFolderTest";
    ASSERT_TRUE(MakeInstallFolder(programs + "\\Zembrico", protection));
    EXPECT_EQ(protection, "Install folder lies in a programs folder: its permissions are kept");
    fs::remove_all(fs::path(programs));

    TempFolder::write(folder.file("file"), "in the way");
    EXPECT_FALSE(MakeInstallFolder(folder.file("file"), protection));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

}  // namespace
