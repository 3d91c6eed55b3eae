#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "installer/ZembricoInstall/googleanalytics.h"
#include "installer/core/installparameters.h"
#include "installer/core/payloadarchive.h"
#include "plib/win/plinkfree.h"

// The payload archive: its bytes, valid for the whole installation, and, when set, `read`,
// which gives the same bytes a piece at a time and lets each piece's memory go (ImageBlockReader).
struct PayloadView {
    PayloadView(std::span<const std::uint8_t> bytes = {}, LzmaUnpacker::BlockReader read = {})
        : bytes(bytes), read(std::move(read)) {}
    std::span<const std::uint8_t> bytes;
    LzmaUnpacker::BlockReader read;
};

// Where the worker finds the payload archive. The program's own is the "ZB"/130 resource of
// the loaded image (empty when it is missing), never the executable file, which can be swapped
// while the program runs.
using PayloadSource = std::function<PayloadView()>;
PayloadView ModulePayload();

// Creates `path` and every missing folder above it. False when a folder cannot be made; a
// PInternalError on the way (a file where a folder must be) is logged and gives false too.
bool CreateAllDirectories(const std::string& path);

// Writes a line of the worker's steps to Install.log, which is open while they run.
void InstallLogLine(const std::string& line);

// Runs one installation at a time on a thread of its own and reports to a window by posted
// messages (kWmInstallProgress and the codes of installcodes.h). The window steers it through
// `controlState` (kWorkerRun, kWorkerPause, kWorkerStop), which the worker reads at its cancel
// points: the start of every extracted file and once after the settings files.
class InstallerWorkerThread final : public ExtractTarget {
  public:
    explicit InstallerWorkerThread(std::string_view collectionHost = kAnalyticsCollectionHost,
                                   PayloadSource payload = ModulePayload);
    // Asks a running installation to stop and waits for its thread to end.
    ~InstallerWorkerThread();
    InstallerWorkerThread(const InstallerWorkerThread&) = delete;
    InstallerWorkerThread& operator=(const InstallerWorkerThread&) = delete;

    // Copies `params` and starts the installation. False while an installation runs or when no
    // thread could be made. A `messageId` of 0 posts nothing.
    bool start(const InstallParameters& params, HWND window, UINT messageId);
    // True from start until the thread has closed Install.log. The final code is posted after
    // that, so a window that sees it may open the log itself.
    bool isRunning() const { return running_.load(); }
    // Waits for the thread to be gone and releases it; does nothing without one.
    void closeThreadHandle();

    std::atomic<std::int32_t> controlState{0};
    // Called on the worker thread as each extracted file starts (`index` from 1), just before
    // that file's cancel point, so that a caller can hold or stop the installation at an exact
    // file. Set it before start.
    std::function<void(std::uint32_t index)> fileStartedObserver;
    // Called on the worker thread each time it finds `controlState` at kWorkerPause at a cancel
    // point (`looks` from 1 while it holds there), before it waits to look again, so that a caller
    // can tell that the installation holds. Set it before start.
    std::function<void(std::uint32_t looks)> pausedObserver;

    // The analytics client, which the window uses for its own hits as well.
    GoogleAnalytics& analytics() { return analytics_; }

    // Set by the registration step: the launcher and its arguments.
    const std::string& mainAppPath() const { return mainAppPath_; }
    const std::string& mainAppArguments() const { return mainAppArguments_; }

  private:
    void workerThread();
    // The code to post when the thread ends.
    std::int32_t doInstall();
    // The folder, the log, the files, the registration and the settings files, in that order.
    std::int32_t installSteps();
    // The code of an installation an exception ended; `message`: the error's, if it was one.
    std::int32_t failedInstall(const std::optional<std::string>& message);
    // Makes the install folder (MakeInstallFolder) and installFolder_; returns the log's line
    // about its protection. Throws PSystemError when the folder cannot be made.
    std::string makeInstallFolder();
    void cancelCheck();
    void post(std::int32_t code, LPARAM detail);
    PString message(std::uint32_t key, const std::string& argument) const;

    bool extractArchive();
    std::int32_t registerInstallation();
    void storeTInfoFile();
    void setUserIniFile();
    void storeAppIniFile();

    void onFileStarted(std::uint32_t fileCount, std::uint32_t index,
                       const PString& relativePath) override;
    FileHandle openFile(const PString& fullPath) override;
    void writeFile(FileHandle file, const std::uint8_t* bytes, std::uint32_t count) override;
    void closeFile(FileHandle file) override;

    InstallParameters params_;
    HWND window_ = nullptr;
    UINT messageId_ = 0;
    std::thread thread_;
    std::atomic<bool> running_{false};
    // The install folder of the installation under way, in which nothing is written through a
    // link (an older folder that others could write to may hold one).
    std::unique_ptr<PLinkFreeFolder> installFolder_;
    std::map<FileHandle, std::string> openFiles_;
    // Of the extraction under way: the folders already made or found, each looked for once,
    // and the last percentage posted, each posted once.
    std::set<std::string> knownFolders_;
    std::int32_t postedPercent_ = -1;
    std::string mainAppPath_;
    std::string mainAppArguments_;
    PayloadSource payload_;
    GoogleAnalytics analytics_;
    // The text of a -5 code, handed over with the final post.
    PString* failureText_ = nullptr;
};
