// Links planted in the folders the elevated installer writes to: the user's own folders (the
// settings folder, Quick Launch) and an install folder that someone else could write to before.
// Nothing outside is written, moved or deleted through them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/ZembricoInstall/wholeinstalltest.h"
#include "installer/core/installcodes.h"
#include "installer/core/registrationplan.h"
#include "plib/perror.h"
#include "plib/win/plantedlink.h"

namespace fs = std::filesystem;

namespace {

class LinkFaultTest : public WholeInstallTest {
  protected:
    void SetUp() override {
        WholeInstallTest::SetUp();
        outside_ = root_ / "outside";
        fs::create_directories(outside_);
        WriteFile(outside_ / "user.ini", "[Private]\nSecret=1\n");
        params_.useLocalAppData = 1;
        params_.localAppDataFolder = (root_ / "LocalAppData").string();
        fs::create_directories(params_.localAppDataFolder);
    }

    fs::path settingsFolder() const {
        return fs::path(params_.localAppDataFolder) / params_.workFolderName;
    }
    // The folder outside holds only the file it was given, unchanged.
    void expectOutsideUntouched() const {
        EXPECT_EQ(ReadFile(outside_ / "user.ini"), "[Private]\nSecret=1\n");
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(outside_))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"user.ini"});
    }
    std::vector<std::string> log() const { return LogLines(Installed("Install.log")); }

    fs::path outside_;
};

TEST_F(LinkFaultTest, SettingsFolderThatIsALinkIsNotUsed) {
    const PlantedLink link(settingsFolder(), outside_);
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    ASSERT_EQ(Install().back(), kInstallComplete);
    expectOutsideUntouched();
    const std::vector<std::string> lines = log();
    EXPECT_GE(FindLine(lines, "Local settings directory not used, a link is on its way: '" +
                                  settingsFolder().string() + "'"),
              0);
    EXPECT_GE(FindLine(lines, "Local settings directory: '" + params_.installFolder + "'"), 0);
    EXPECT_TRUE(fs::exists(Installed("user.ini")));
}

TEST_F(LinkFaultTest, UserIniThatIsALinkIsNeitherReadMovedNorWritten) {
    fs::create_directories(settingsFolder());
    const PlantedLink link(settingsFolder() / "user.ini", outside_ / "user.ini");
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    params_.overrideUserIni = 1;
    ASSERT_EQ(Install().back(), kInstallComplete);
    expectOutsideUntouched();
    const std::vector<std::string> lines = log();
    EXPECT_GE(FindLine(lines,
                       "PInternalError caught in InstallerWorkerThread::SetUserIniFile() - "
                       "read: Not read through a link: '" +
                           (settingsFolder() / "user.ini").string() + "'"),
              0);
}

TEST_F(LinkFaultTest, QuickLaunchFolderThatIsALinkGetsNoShortcut) {
    params_.quickLaunchShortcut = 1;
    const PlantedLink link(params_.quickLaunchFolder, outside_);
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    ASSERT_EQ(Install().back(), kInstallComplete);
    expectOutsideUntouched();
    EXPECT_GE(FindLine(log(), "Cannot create program shortcuts in '" + params_.quickLaunchFolder +
                                  "': a link is on its way"),
              0);
    EXPECT_EQ(ReadValue(Key(), "QLLink").text, "");
    // The shortcuts of the folders that are no link are made as always.
    const std::string d = MakeRegistrationTexts(params_).fileName;
    EXPECT_TRUE(fs::exists(fs::path(params_.desktopFolder) / (d + ".lnk")));
}

// An install folder left open to others may hold a link where the payload has a folder.
TEST_F(LinkFaultTest, FolderOfThePayloadThatIsALinkStopsTheInstallation) {
    fs::create_directories(params_.installFolder);
    const PlantedLink link(Installed("data"), outside_);
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    std::string text;
    const std::vector<int> codes = Install(&text);
    EXPECT_EQ(codes.back(), kInstallFailedWithText);
    EXPECT_EQ(text,
              PSystemError(("Cannot create folder '" + Installed("data").string() + "'").c_str(),
                           ERROR_CANT_ACCESS_FILE)
                  .why());
    expectOutsideUntouched();
}

// A link planted under a file's name in such a folder is replaced, never written through.
TEST_F(LinkFaultTest, FileOfThePayloadThatIsALinkIsReplacedNotWrittenThrough) {
    fs::create_directories(params_.installFolder);
    const PlantedLink link(Installed("readme.txt"), outside_ / "user.ini");
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    std::string text;
    const std::vector<int> codes = Install(&text);
    expectOutsideUntouched();
    // Windows removes a link as a link and writes the file; Wine cannot tell the link from its
    // target and refuses the name.
    if (codes.back() == kInstallComplete) {
        EXPECT_EQ(ReadFile(Installed("readme.txt")), "hello");
    } else {
        EXPECT_EQ(text, PSystemError(
                            ("Cannot open file '" + Installed("readme.txt").string() + "'").c_str(),
                            ERROR_CANT_ACCESS_FILE)
                            .why());
    }
}

}  // namespace
