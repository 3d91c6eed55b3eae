#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/ZembricoInstall/installtestkit.h"
#include "installer/core/installparameters.h"

// A collection host that refuses at once (nothing listens on port 1 of the loopback), so that
// no test waits for a name server.
inline constexpr char kNoCollector[] = "127.0.0.1:1";

// The parameters of a test installation below `root`, with its own display name (and so its
// own uninstall key): desktop and Start menu shortcuts, and every settings step with something
// to write, so that its absence after a failure says that it did not run.
InstallParameters WholeInstallParameters(const std::filesystem::path& root,
                                         const std::string& displayName);

// A whole installation by the install worker of a small payload (seven files, one in a
// subfolder, one empty, one larger than a decode step), and the checks of what a complete,
// failed or stopped one must (not) leave behind. Each test gets its own folders and registry key.
class WholeInstallTest : public testing::Test {
  protected:
    using FileList = std::vector<std::pair<std::string, std::string>>;

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Adds `name` (backslashes for subfolders) to the payload and packs it again.
    void AddPayloadFile(const std::string& name, const std::string& bytes);
    PayloadSource Payload();
    // A worker over the test's payload whose analytics go to `collectionHost`.
    std::unique_ptr<InstallerWorkerThread> MakeWorker(
        std::string_view collectionHost = kNoCollector);
    // Runs one installation to its final code; the -5 text goes to `text`.
    std::vector<int> Install(InstallerWorkerThread& worker, std::string* text = nullptr);
    std::vector<int> Install(std::string* text = nullptr);

    std::filesystem::path Installed(const std::string& name) const;
    std::string Key() const;
    // The payload's files, in archive order (byte-wise sorted names).
    const FileList& Files() const { return files_; }

    // What became of the file after the complete ones.
    enum class Next { kAbsent, kEmpty, kNotChecked };
    // Files 1..`complete` hold their bytes, the next one (if any) is as `next` says, and the rest
    // are absent.
    void ExpectFilesUpTo(size_t complete, Next next);
    void ExpectEveryFileInstalled();
    // No uninstall entry, no tinfo.dat, user.ini or app.ini.
    void ExpectNotRegisteredAndNoSettings();
    void ExpectNoSettingsFiles();
    // The progress codes of the first `count` files of the payload, then `last`.
    std::vector<int> Progress(size_t count) const;
    std::vector<int> ProgressThen(size_t count, int last) const;

    std::filesystem::path root_;
    std::vector<std::uint8_t> payload_;
    InstallParameters params_;
    ProgressWindow window_;

  private:
    void Pack();

    FileList files_;
};
