#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/ZembricoInstall/faults/faultinstall.h"
#include "installer/core/installcodes.h"
#include "plib/winseam/unique.h"

namespace fs = std::filesystem;

namespace {

// The window's quit handshake at every file of the payload: the worker is paused at the start
// of file k, held there, then told to stop or to go on.
class CancelAtEveryFileTest : public WholeInstallTest {
  protected:
    // Pauses the installation at file `k`, checks what stands once the worker has found itself
    // paused twice, then writes `answer` into the control word; returns every code the run
    // posted.
    std::vector<int> InstallAnsweringAt(size_t k, std::int32_t answer) {
        auto worker = MakeWorker();
        UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        worker->fileStartedObserver = [&](std::uint32_t index) {
            if (index == k) worker->controlState = kWorkerPause;
        };
        worker->pausedObserver = [&](std::uint32_t looks) {
            if (looks == 2) SetEvent(held.get());
        };
        EXPECT_TRUE(worker->start(params_, window_.handle(), kWmInstallProgress));
        EXPECT_EQ(WaitForSingleObject(held.get(), kWouldHangMs), WAIT_OBJECT_0);
        EXPECT_TRUE(worker->isRunning());
        EXPECT_FALSE(worker->start(params_, window_.handle(), kWmInstallProgress))
            << "a second installation starts while one is held";
        std::vector<int> codes = window_.pending();
        EXPECT_EQ(codes, Progress(k - 1)) << "the paused file's progress is posted after the pause";
        ExpectFilesUpTo(k - 1, Next::kEmpty);
        worker->controlState = answer;
        const std::vector<int> rest = window_.waitForEnd();
        codes.insert(codes.end(), rest.begin(), rest.end());
        worker->closeThreadHandle();
        EXPECT_FALSE(worker->isRunning());
        return codes;
    }
};

TEST_F(CancelAtEveryFileTest, StopAtEachFileLeavesItEmptyAndLaterFilesAbsent) {
    for (size_t k = 1; k <= Files().size(); ++k) {
        SCOPED_TRACE("stopped at file " + std::to_string(k));
        fs::remove_all(params_.installFolder);
        EXPECT_EQ(InstallAnsweringAt(k, kWorkerStop), ProgressThen(k - 1, kInstallStopped));
        ExpectFilesUpTo(k - 1, Next::kEmpty);
        ExpectNotRegisteredAndNoSettings();
        const std::vector<std::string> lines = LogLines(Installed("Install.log"));
        EXPECT_GE(FindLine(lines, "Install canceled by user."), 0);
        EXPECT_LT(FindLine(lines, "Install finished"), 0);

        // Running the installation again over what the stop left completes it.
        EXPECT_EQ(Install(), ProgressThen(Files().size(), kInstallComplete));
        ExpectEveryFileInstalled();
        EXPECT_TRUE(KeyExists(Key()));
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, Key().c_str());
    }
}

TEST_F(CancelAtEveryFileTest, PauseAndContinueAtEachFileCompletesTheSame) {
    for (size_t k = 1; k <= Files().size(); ++k) {
        SCOPED_TRACE("paused at file " + std::to_string(k));
        fs::remove_all(params_.installFolder);
        EXPECT_EQ(InstallAnsweringAt(k, kWorkerRun),
                  ProgressThen(Files().size(), kInstallComplete));
        ExpectEveryFileInstalled();
        EXPECT_TRUE(KeyExists(Key()));
        EXPECT_TRUE(fs::exists(Installed("tinfo.dat")));
        EXPECT_TRUE(fs::exists(Installed("app.ini")));
    }
}

}  // namespace
