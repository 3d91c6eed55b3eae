#include "installer/ZembricoInstall/installerworkerthread.h"

#include <io.h>
#include <objbase.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <system_error>

#include "installer/ZembricoInstall/imagepayload.h"
#include "installer/ZembricoInstall/installfolder.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/installcodes.h"
#include "installer/core/messagekeys.h"
#include "installer/core/messagetable.h"
#include "installer/core/resourceids.h"
#include "installer/core/toplevelcatch.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/plogfile.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/win/pfile.h"
#include "plib/win/presource.h"
#include "plib/winseam/unique.h"

PayloadView ModulePayload() {
    const std::span<const std::uint8_t> resource =
        PResourceBytes(nullptr, kPayloadResource, kResourceType);
    if (resource.empty()) return {};
    return {resource, ImageBlockReader(resource)};
}

namespace {

// Why the folder `name` cannot be made, as the system's error code (0 when it can be made
// now). The code of the call that failed does not survive the exception that reported it, so
// the system is asked again; a file that holds the name answers "already exists".
DWORD FolderCreationError(const PString& name) {
    return PCreateDirectory(name, &PMixedEncoding()) ? ERROR_SUCCESS : GetLastError();
}

}  // namespace

void InstallLogLine(const std::string& line) {
    PLog("%s", line.c_str());
}

bool CreateAllDirectories(const std::string& path) {
    try {
        const PString name(path.c_str());
        if (PDirectoryExists(name, &PMixedEncoding())) return true;
        if (path.size() == 2 && path[1] == ':') return true;
        const size_t slash = path.rfind('\\');
        if (slash != std::string::npos && !CreateAllDirectories(path.substr(0, slash)))
            return false;
        // "Already exists" here means another thread made it meanwhile: the folder is there.
        PMakeDirectory(name, &PMixedEncoding());
        return true;
    } catch (const PInternalError& e) {
        // Before Install.log exists the line waits in the queue rather than being lost.
        EarlyLogQueue::instance().add("PInternalError caught in CreateAllDirectories( '%s' ): %s",
                                      path.c_str(), e.why());
        // The caller's message carries the system's reason, never a stale or "success" code.
        const DWORD error = FolderCreationError(PString(path.c_str()));
        SetLastError(error);
        return error == ERROR_SUCCESS;
    }
}

InstallerWorkerThread::InstallerWorkerThread(std::string_view collectionHost, PayloadSource payload)
    : payload_(std::move(payload)), analytics_(collectionHost) {}

InstallerWorkerThread::~InstallerWorkerThread() {
    // The thread uses this object to its last line: it must be gone before the object is.
    if (running_) controlState = kWorkerStop;
    closeThreadHandle();
}

bool InstallerWorkerThread::start(const InstallParameters& params, HWND window, UINT messageId) {
    if (running_) return false;
    closeThreadHandle();
    params_ = params;
    window_ = window;
    messageId_ = messageId;
    controlState = kWorkerRun;
    running_ = true;
    try {
        thread_ = std::thread([this] { workerThread(); });
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    return true;
}

void InstallerWorkerThread::closeThreadHandle() {
    if (thread_.joinable()) thread_.join();
}

void InstallerWorkerThread::workerThread() {
    const std::optional<std::int32_t> code = Caught(
        {.place = CatchPlace::kWorker}, InstallLogLine,
        [this] { return std::optional<std::int32_t>(doInstall()); },
        [](const std::optional<std::string>&) { return std::optional<std::int32_t>(); });
    // Install.log is closed before the window can learn that the worker has ended, so that the
    // window may open a log of its own as soon as it sees the final code.
    if (PLogIsOn()) PLogExit();
    running_ = false;
    if (code) post(*code, reinterpret_cast<LPARAM>(failureText_));
    failureText_ = nullptr;
}

std::int32_t InstallerWorkerThread::doInstall() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ScopeExit uninitialize([com] {
        if (SUCCEEDED(com)) CoUninitialize();
    });
    SetLastError(0);
    return Caught(
        {.place = CatchPlace::kDoInstall, .systemError = "PSystemError"}, InstallLogLine,
        [this] { return installSteps(); },
        [this](const std::optional<std::string>& message) { return failedInstall(message); });
}

std::int32_t InstallerWorkerThread::installSteps() {
    const std::string protection = makeInstallFolder();
    const std::string logPath = params_.installFolder + "\\" + "Install.log";
    // A link left in an older folder under the log's name must not take the lines elsewhere.
    if (installFolder_->checkFile(logPath) == PLinkFree::kLinked) installFolder_->remove(logPath);
    PLogInit(std::make_unique<PLogFile>(logPath.c_str(), 0, &PMixedEncoding()));
    PLog("Log File Path: %s", logPath.c_str());
    PLog("OS Version: %x", static_cast<unsigned>(GetVersion()));
    PLog("isWow64: %x", params_.isWow64);
    PLog("localAppData: %x", params_.useLocalAppData);
    PLog("Has admin rights: %x", params_.hasAdminRights);
    PLog("Locale: %d", params_.locale);
    // While the analytics connection is still being tried, this waits for its outcome (a few
    // seconds at most), which the log tells before what the window logged after it.
    EarlyLogQueue::instance().flush();

    std::int32_t code = kInstallComplete;
    const bool extracted = extractArchive();
    if (extracted) PLog("%s", protection.c_str());
    if (!extracted) {
        PLog("Install failed: archive error");
        code = kInstallArchiveError;
    } else if (registerInstallation() != 0) {
        PLog(
            "Registry write error, maybe caused by access right not enough, uninstaller may "
            "not "
            "work properly.");
        code = kInstallRegistryError;
    } else {
        storeTInfoFile();
        setUserIniFile();
        if (params_.universal) {
            PLog("Universal installation detected, site used is:'%s'", params_.site.c_str());
            storeAppIniFile();
        }
        cancelCheck();
        // The files are installed: a collector that cannot be reached must not turn that into a
        // failure.
        Caught(
            {.place = CatchPlace::kDoInstall, .other = nullptr}, InstallLogLine,
            [this] { analytics_.screenView("InstallationWindow/InstallComplete"); }, DropCaught);
    }
    PLog("Install finished");
    return code;
}

std::int32_t InstallerWorkerThread::failedInstall(const std::optional<std::string>& message) {
    if (message) {
        failureText_ = new PString(message->c_str());
        return kInstallFailedWithText;
    }
    const bool stopped = controlState == kWorkerStop;
    PLog(stopped ? "Install canceled by user." : "General error occurred.");
    return stopped ? kInstallStopped : kInstallGeneralError;
}

std::string InstallerWorkerThread::makeInstallFolder() {
    std::string protection;
    if (!MakeInstallFolder(params_.installFolder, protection)) {
        const DWORD error = GetLastError();
        throw PSystemError(message(TXTINS_Cannot_create_folder_XN0X, params_.installFolder).c_str(),
                           static_cast<std::int32_t>(error));
    }
    installFolder_ = std::make_unique<PLinkFreeFolder>(params_.installFolder);
    return protection;
}

void InstallerWorkerThread::cancelCheck() {
    for (std::uint32_t looks = 1; controlState == kWorkerPause; ++looks) {
        if (pausedObserver) pausedObserver(looks);
        Sleep(100);
    }
    if (controlState == kWorkerStop) throw "stopped";
}

void InstallerWorkerThread::post(std::int32_t code, LPARAM detail) {
    const bool posted =
        messageId_ != 0 &&
        PostMessageW(window_, messageId_, static_cast<WPARAM>(static_cast<INT_PTR>(code)), detail);
    // A text that never reaches the window is still freed.
    if (!posted && code == kInstallFailedWithText) delete reinterpret_cast<PString*>(detail);
}

PString InstallerWorkerThread::message(std::uint32_t key, const std::string& argument) const {
    PString text;
    TheMessageTable().lookup(text, key, params_.locale, PString(argument.c_str()));
    return text;
}

bool InstallerWorkerThread::extractArchive() {
    knownFolders_.clear();
    postedPercent_ = -1;
    const PayloadView payload = payload_();
    return ExtractPayload(
        payload.bytes.data(), static_cast<std::uint32_t>(payload.bytes.size()),
        PString(params_.installFolder.c_str()), *this, [](const char* line) { PLog("%s", line); },
        payload.read);
}

void InstallerWorkerThread::onFileStarted(std::uint32_t fileCount, std::uint32_t index,
                                          const PString& relativePath) {
    if (fileStartedObserver) fileStartedObserver(index);
    cancelCheck();
    PLog("%s", relativePath.c_str());
    // A post costs a round trip to the system; one that repeats the last value shows nothing new.
    const auto percent = static_cast<std::int32_t>(std::uint64_t{index} * 100 / fileCount);
    if (percent != postedPercent_) post(percent, 0);
    postedPercent_ = percent;
}

ExtractTarget::FileHandle InstallerWorkerThread::openFile(const PString& fullPath) {
    const std::string path(fullPath.view());
    const size_t slash = path.rfind('\\');
    if (slash != std::string::npos) {
        const std::string folder = path.substr(0, slash);
        if (!knownFolders_.contains(folder)) {
            const PLinkFree made = folder == params_.installFolder
                                       ? PLinkFree::kDone
                                       : installFolder_->makeFolders(folder);
            if (made != PLinkFree::kDone) {
                const DWORD error =
                    made == PLinkFree::kLinked ? ERROR_CANT_ACCESS_FILE : GetLastError();
                throw PSystemError(message(TXTINS_Cannot_create_folder_XN0X, folder).c_str(),
                                   static_cast<std::int32_t>(error));
            }
            knownFolders_.insert(folder);
        }
        // The user's own settings survive a reinstallation: the archive's copy is discarded.
        if (path.compare(slash + 1, std::string::npos, "user.ini") == 0 &&
            POpenFile(fullPath, "rb", &PMixedEncoding()))
            return nullptr;
    }
    UniqueFile created;
    const PLinkFree made = installFolder_->createFile(path, created);
    PFile file = made == PLinkFree::kDone ? PFileOfHandle(std::move(created), "wb") : nullptr;
    if (!file) {
        // A link on the way is answered as Windows answers a path it must not follow.
        const DWORD error = made == PLinkFree::kLinked ? ERROR_CANT_ACCESS_FILE : GetLastError();
        throw PSystemError(message(TXTINS_Cannot_open_file_XN0X, path).c_str(),
                           static_cast<std::int32_t>(error));
    }
    FileHandle handle = file.release();
    openFiles_[handle] = path;
    return handle;
}

void InstallerWorkerThread::writeFile(FileHandle file, const std::uint8_t* bytes,
                                      std::uint32_t count) {
    if (!file) return;
    // The decoder's steps go to the system as they are, past the C library's buffer, and in a
    // loop: a disk with room for part of a write takes that part without an error, and only the
    // next write says that the disk is full.
    const auto handle =
        reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(static_cast<std::FILE*>(file))));
    while (count != 0) {
        DWORD written = 0;
        const bool wrote = WriteFile(handle, bytes, count, &written, nullptr);
        if (!wrote || written == 0) {
            const DWORD error = wrote ? ERROR_DISK_FULL : GetLastError();
            throw PSystemError(message(TXTINS_Cannot_write_to_file_XN0X, openFiles_[file]).c_str(),
                               static_cast<std::int32_t>(error));
        }
        bytes += written;
        count -= written;
    }
}

void InstallerWorkerThread::closeFile(FileHandle file) {
    if (!file) return;
    const auto open = openFiles_.find(file);
    const std::string path = open->second;
    openFiles_.erase(open);
    // A file cut short must not count as installed: a failure that shows itself only when the
    // file is closed (a network drive's delayed write) fails the file too. The flush is asked
    // for on its own because not every C library's fclose reports a failed last write.
    std::FILE* stream = static_cast<std::FILE*>(file);
    const bool flushed = std::fflush(stream) == 0;
    DWORD error = GetLastError();
    const bool closed = std::fclose(stream) == 0;
    if (flushed && !closed) error = GetLastError();
    if (!flushed || !closed)
        throw PSystemError(message(TXTINS_Cannot_write_to_file_XN0X, path).c_str(),
                           static_cast<std::int32_t>(error));
}
