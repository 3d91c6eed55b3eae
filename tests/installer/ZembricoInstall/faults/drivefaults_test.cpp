#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/ZembricoInstall/faults/faultinstall.h"
#include "installer/core/installcodes.h"
#include "plib/perror.h"

namespace fs = std::filesystem;

namespace {

// Installations onto drives that tests/installer/ZembricoInstall/faults/drives.sh maps to small,
// full and read-only file systems; without the script (it needs to mount them) these tests are
// skipped.
class DriveFaultTest : public WholeInstallTest {
  protected:
    // The install folder on the drive named by `variable`; empty when the drive is not mapped.
    std::string FolderOn(const char* variable, const std::string& below) {
        const std::string drive = Environment(variable);
        return drive.empty() ? drive : drive + "\\" + below;
    }

    std::string ExpectedText(const char* what, const std::string& path, DWORD code) {
        return PSystemError((std::string(what) + " '" + path + "'").c_str(),
                            static_cast<std::int32_t>(code))
            .why();
    }

    // Installs into `folder`, which fails with `codes`; returns the text of the -5 code. Nothing
    // is registered and no settings file is written.
    std::string FailingInstall(const std::string& folder, const std::vector<int>& codes) {
        roomy_ = params_.installFolder;
        params_.installFolder = folder;
        std::string text;
        EXPECT_EQ(Install(&text), codes);
        ExpectNotRegisteredAndNoSettings();
        return text;
    }

    // After the failure on the faulty drive, the same installation into a roomy folder completes.
    void ExpectRoomyInstallCompletes() {
        params_.installFolder = roomy_;
        EXPECT_EQ(Install(), ProgressThen(Files().size(), kInstallComplete));
        ExpectEveryFileInstalled();
    }

    const std::string unique_ = "ZbFault" + std::to_string(GetCurrentProcessId());
    std::string roomy_;
};

#define SKIP_WITHOUT(folder) \
    if ((folder).empty()) GTEST_SKIP() << "needs the drives that the fault_drives test maps"

TEST_F(DriveFaultTest, DiskFullDuringExtraction) {
    const std::string folder = FolderOn("ZB_FAULT_SMALL_DRIVE", unique_ + "\\Zembrico");
    SKIP_WITHOUT(folder);
    // The drive holds the first three files but not the fourth.
    const std::string text = FailingInstall(folder, ProgressThen(4, kInstallFailedWithText));
    EXPECT_EQ(text, ExpectedText("Cannot write to file", Installed(Files()[3].first).string(),
                                 ERROR_DISK_FULL));
    ExpectFilesUpTo(3, Next::kNotChecked);
    EXPECT_LT(FindLine(LogLines(Installed("Install.log")), "Install finished"), 0);
    fs::remove_all(fs::path(folder).parent_path());
    ExpectRoomyInstallCompletes();
}

TEST_F(DriveFaultTest, FullDiskFoundWhenTheFileIsClosed) {
    // Nothing can be written, but a small file's bytes wait in the C library until it is closed.
    const std::string folder = FolderOn("ZB_FAULT_FULL_DRIVE", unique_ + "\\Zembrico");
    SKIP_WITHOUT(folder);
    const std::string text = FailingInstall(folder, ProgressThen(1, kInstallFailedWithText));
    EXPECT_EQ(text, ExpectedText("Cannot write to file", Installed(Files()[0].first).string(),
                                 ERROR_DISK_FULL));
    ExpectFilesUpTo(0, Next::kNotChecked);
    fs::remove_all(fs::path(folder).parent_path());
    ExpectRoomyInstallCompletes();
}

// Wine answers "access denied" for a read-only file system (Windows: "write protected" for
// such media).
TEST_F(DriveFaultTest, ReadOnlyDrive) {
    const std::string folder = FolderOn("ZB_FAULT_READONLY_DRIVE", unique_ + "\\Zembrico");
    SKIP_WITHOUT(folder);
    const std::string text = FailingInstall(folder, {kInstallFailedWithText});
    EXPECT_EQ(text, ExpectedText("Cannot create folder", folder, ERROR_ACCESS_DENIED));
    EXPECT_FALSE(fs::exists(folder));
    ExpectRoomyInstallCompletes();
}

TEST_F(DriveFaultTest, ReadOnlyFolderThatExists) {
    // The script made this folder before it turned the file system read-only.
    const std::string folder = FolderOn("ZB_FAULT_READONLY_DRIVE", "existing");
    SKIP_WITHOUT(folder);
    const std::string text = FailingInstall(folder, {kInstallFailedWithText});
    EXPECT_EQ(text, ExpectedText("Cannot open file", Installed(Files()[0].first).string(),
                                 ERROR_ACCESS_DENIED));
    // Install.log cannot be made there either; the failure reaches the window only.
    EXPECT_FALSE(fs::exists(Installed("Install.log")));
    ExpectRoomyInstallCompletes();
}

}  // namespace
