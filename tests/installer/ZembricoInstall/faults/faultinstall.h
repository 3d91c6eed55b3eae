#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/ZembricoInstall/installtestkit.h"
#include "installer/core/installparameters.h"
#include "plib/win/unique.h"

// A collection host that refuses at once (nothing listens on port 1 of the loopback), so that
// no test waits for a name server.
inline constexpr char kNoCollector[] = "127.0.0.1:1";

// The parameters of a test installation below `root`, with its own display name (and so its
// own uninstall key).
InstallParameters FaultParameters(const std::filesystem::path& root,
                                  const std::string& displayName);
// The six-file payload of the fault tests, packed; its files in archive order go to `files`.
std::vector<std::uint8_t> FaultPayload(const std::filesystem::path& scratch,
                                       std::vector<std::pair<std::string, std::string>>& files);

// A whole installation of a six-file payload under test, and the checks of what a failed or
// stopped one must (not) leave behind. Each test gets its own folders and registry key.
class FaultInstallTest : public testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A worker over the test's payload whose analytics go nowhere.
    std::unique_ptr<InstallerWorkerThread> MakeWorker();
    // Runs one installation to its final code; the -5 text goes to `text`.
    std::vector<int> Install(InstallerWorkerThread& worker, std::string* text = nullptr);
    std::vector<int> Install(std::string* text = nullptr);

    std::filesystem::path Installed(const std::string& name) const;
    std::string Key() const;
    // The payload's files, in archive order (byte-wise sorted names).
    const std::vector<std::pair<std::string, std::string>>& Files() const { return files_; }

    // What became of the file after the complete ones.
    enum class Next { kAbsent, kEmpty, kNotChecked };
    // Files 1..`complete` hold their bytes, the next one (if any) is as `next` says, and the rest
    // are absent.
    void ExpectFilesUpTo(size_t complete, Next next);
    void ExpectEveryFileInstalled();
    // No uninstall entry, no tinfo.dat, user.ini or app.ini.
    void ExpectNotRegisteredAndNoSettings();
    void ExpectNoSettingsFiles();
    // The progress codes of the first `count` files of the six, then `last`.
    static std::vector<int> Progress(size_t count);
    static std::vector<int> ProgressThen(size_t count, int last);

    std::filesystem::path root_;
    std::vector<std::uint8_t> payload_;
    InstallParameters params_;
    ProgressWindow window_;

  private:
    std::vector<std::pair<std::string, std::string>> files_;
};

// Percentages of `index` files of `count` started, as the worker posts them.
int ProgressOf(size_t index, size_t count);

// A child process of this test program that runs one of the DISABLED_ child tests (they run
// only when asked for by name). The child finds its arguments in the environment and signals
// the named event `ready` when it has reached the state the parent wants.
class ChildProcess {
  public:
    ChildProcess(const char* testName, const std::vector<std::pair<std::string, std::string>>& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True when the child signalled ready within `timeoutMs`; false when it ended or timed out.
    bool waitReady(int timeoutMs = 60000);
    void kill();

  private:
    UniqueHandle ready_;
    UniqueHandle process_;
};

// The value of `name` in the environment, empty when it is not set.
std::string Environment(const char* name);
// Inside a child: tells the parent that the child is ready.
void SignalParent();
