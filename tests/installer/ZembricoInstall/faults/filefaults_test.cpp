#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/ZembricoInstall/faults/faultinstall.h"
#include "installer/core/installcodes.h"
#include "plib/perror.h"
#include "plib/winseam/unique.h"

namespace fs = std::filesystem;

namespace {

using FileFaultTest = WholeInstallTest;

// The -5 text of a failed file operation, as the window shows it after its own first line.
std::string SystemText(const std::string& text, DWORD code) {
    return PSystemError(text.c_str(), static_cast<std::int32_t>(code)).why();
}

bool AnyInstallLogBelow(const fs::path& folder) {
    if (!fs::is_directory(folder)) return false;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename() == "Install.log") return true;
    return false;
}

TEST_F(FileFaultTest, FileHeldOpenByAnotherProcessStopsBeforeIt) {
    // The third file, held without sharing as a running client or a virus scanner would hold it.
    const std::string held = Installed(Files()[2].first).string();
    WriteFile(held, "previous");
    ChildProcess holder("DISABLED_HoldFileOpen", {{"ZB_FAULT_FILE", held}});
    ASSERT_TRUE(holder.waitReady());
    std::string text;
    EXPECT_EQ(Install(&text), ProgressThen(2, kInstallFailedWithText));
    EXPECT_EQ(text, SystemText("Cannot open file '" + held + "'", ERROR_SHARING_VIOLATION));
    ExpectFilesUpTo(2, Next::kNotChecked);
    ExpectNotRegisteredAndNoSettings();
    const std::vector<std::string> lines = LogLines(Installed("Install.log"));
    EXPECT_GE(FindLine(lines, "PSystemError caught in InstallerWorkerThread::DoInstall(): " + text),
              0);
    EXPECT_LT(FindLine(lines, "Install finished"), 0);

    holder.kill();
    EXPECT_EQ(ReadFile(held), "previous") << "the held file was changed";
    EXPECT_EQ(Install(), ProgressThen(Files().size(), kInstallComplete));
    ExpectEveryFileInstalled();
}

TEST_F(FileFaultTest, FileWhereAFolderShouldBe) {
    struct Case {
        const char* what;
        std::string file;     // the file standing in the way
        std::string folder;   // the folder the message names
        size_t filesStarted;  // before the failure
    };
    const std::string install = params_.installFolder;
    const Case cases[] = {
        {"the install folder", install, install, 0},
        {"a folder above it", fs::path(install).parent_path().string(), install, 0},
        {"a folder of the payload", install + "\\data", install + "\\data", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root_ / "inst");
        WriteFile(c.file, "a file");
        std::string text;
        EXPECT_EQ(Install(&text), ProgressThen(c.filesStarted, kInstallFailedWithText));
        // Windows' own answer when a file has the name of a folder to make.
        EXPECT_EQ(text,
                  SystemText("Cannot create folder '" + c.folder + "'", ERROR_ALREADY_EXISTS));
        EXPECT_EQ(ReadFile(c.file), "a file");
        ExpectFilesUpTo(c.filesStarted, Next::kAbsent);
        ExpectNotRegisteredAndNoSettings();
        // Without its folder there is no Install.log; inside one, it tells what failed.
        if (c.filesStarted == 0) {
            EXPECT_FALSE(AnyInstallLogBelow(root_ / "inst"));
        } else {
            const std::vector<std::string> lines = LogLines(Installed("Install.log"));
            EXPECT_GE(
                FindLine(lines,
                         "PSystemError caught in InstallerWorkerThread::DoInstall(): " + text),
                0);
        }

        fs::remove(c.file);
        EXPECT_EQ(Install(), ProgressThen(Files().size(), kInstallComplete));
        ExpectEveryFileInstalled();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, Key().c_str());
    }
}

TEST(FaultChild, DISABLED_HoldFileOpen) {
    const std::wstring path = fs::path(Environment("ZB_FAULT_FILE")).wstring();
    const UniqueFile held(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, /*share=*/0,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    SignalParent();
    HoldUntilParentEnds();
}

}  // namespace
