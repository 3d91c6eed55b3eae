#include "client/ZembricoUninstall/uninstaller.h"

#include <algorithm>

#include "client/ZembricoUninstall/uninstallprompts.h"
#include "client/common/clientbuild.h"
#include "client/common/clientsystem.h"
#include "client/core/uninstallcodes.h"
#include "installer/core/registrationplan.h"
#include "installer/core/resourceids.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/win/plinkfree.h"
#include "plib/win/pprivatefolder.h"
#include "plib/win/pprocess.h"
#include "plib/win/presource.h"
#include "plib/win/prunningclient.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

namespace {

// How long the temporary copy waits for the original uninstaller to end.
constexpr DWORD kOriginalExitTimeoutMs = 60000;

std::optional<std::string> ReadString(HKEY key, const char* name) {
    const std::wstring wideName = PToWide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return std::string(PFromWide(value.c_str(), value.size()).view());
}

std::optional<DWORD> ReadDword(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, PToWide(name).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

// The files the installation put into its folder, as the build listed them in this program:
// nothing in the folder, which someone else may have written to, says what to delete there.
std::vector<std::string> PayloadList() {
    const auto bytes = PResourceBytes(nullptr, kPayloadListResource, kResourceType);
    return ParsePayloadList(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.rfind('\\') + 1);
}

// The original uninstaller when `processId` still names it (a process id can be given again
// once its process has gone); null when it has ended.
UniqueHandle OriginalProcess(std::uint32_t processId, const std::string& originalPath) {
    UniqueHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return process;
    wchar_t image[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.get(), 0, image, &length) ||
        !PSamePath(std::string(PFromWide(image, length).view()), originalPath))
        return UniqueHandle();
    return process;
}

}  // namespace

Uninstaller::Uninstaller(UninstallArguments args, std::string logPath)
    : args_(std::move(args)), keyPath_(UninstallKeyPath(args_)), logPath_(std::move(logPath)) {}

UninstallExit Uninstaller::run() {
    // A process whose current folder is the install folder keeps that folder from being removed;
    // the system folder is one that no one but the system can write to.
    SetCurrentDirectoryW(PToWide(PString(PSystemFolder().c_str())).c_str());
    PLog("Uninstall '%s'", keyPath_.c_str());
    if (args_.originalProcess) return finishForOriginal(*args_.originalProcess);
    return runInteractive();
}

UninstallExit Uninstaller::runInteractive() {
    UninstallRecord record;
    int language = 0;
    if (!readRecord(record, language)) {
        PLog("Not installed: no key '%s'", keyPath_.c_str());
        UninstallPrompts(language, args_.displayName).notFound();
        return UninstallExit::kNotFound;
    }
    UninstallPrompts prompts(language, record.fullDisplayName);
    if (!prompts.confirm()) {
        PLog("Cancelled by the user");
        return UninstallExit::kCancelled;
    }
    ClientSettings installed;
    ReadInstalledAppIni(record.installFolder, installed);
    const std::string windowClass = ReadClientBuild(installed.site).settings.mainWindowClass;
    while (ClientIsRunning(windowClass)) {
        PLog("The client is running ('%s')", windowClass.c_str());
        if (!prompts.retryWhileRunning()) {
            PLog("Given up while the client runs: nothing removed");
            return UninstallExit::kClientRunning;
        }
    }

    const std::string self = ProgramPath();
    const UninstallPlan plan = PlanUninstall(record, PayloadList());
    const bool selfInPlan =
        std::any_of(plan.files.begin(), plan.files.end(),
                    [&](const std::string& file) { return PSamePath(file, self); });
    Removal removal = remove(record, selfInPlan ? std::optional(self) : std::nullopt);
    // After a failure the uninstaller and the key stay, so that the user can try again.
    if (!removal.failed && removal.deferred && !startContinuation()) {
        removal.failed = true;
        PLog("Cannot continue from a temporary copy: '%s' stays", self.c_str());
    }
    if (removal.failed) {
        prompts.incomplete(logPath_);
        return UninstallExit::kIncomplete;
    }
    prompts.removed();
    return UninstallExit::kRemoved;
}

UninstallExit Uninstaller::finishForOriginal(std::uint32_t originalProcess) {
    const std::string self = ProgramPath();
    PLog("Continuing from the temporary copy '%s'", self.c_str());
    UninstallRecord record;
    int language = 0;
    if (!readRecord(record, language)) return UninstallExit::kNotFound;
    const UniqueHandle original =
        OriginalProcess(originalProcess, record.installFolder + "\\" + FileNameOf(self));
    if (original && WaitForSingleObject(original.get(), kOriginalExitTimeoutMs) != WAIT_OBJECT_0)
        PLog("The original uninstaller has not ended");
    // The command processor that started this copy removes its folder once it has ended.
    return remove(record, std::nullopt).failed ? UninstallExit::kIncomplete
                                               : UninstallExit::kRemoved;
}

bool Uninstaller::readRecord(UninstallRecord& record, int& language) const {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, PToWide(keyPath_.c_str()).c_str(), 0, KEY_READ,
                      &opened) != ERROR_SUCCESS)
        return false;
    UniqueRegKey key(opened);
    record.installFolder = ReadString(key.get(), "InstallLocation").value_or("");
    record.fullDisplayName = ReadString(key.get(), "DisplayName").value_or(args_.displayName);
    record.groupFolder =
        ReadString(key.get(), "CSMPGroup").value_or(ReadString(key.get(), "SMPGroup").value_or(""));
    for (const char* name : {"DTLink", "CSMLink", "SMLink", "QLLink"})
        if (auto link = ReadString(key.get(), name)) record.links.push_back(*link);
    language = static_cast<int>(ReadDword(key.get(), "Language").value_or(0));
    return true;
}

const PLinkFreeFolder& Uninstaller::placeOf(const UninstallRecord& record,
                                            const std::string& path) {
    // Below the install folder every name is the installation's own; the program group lies in
    // the programs folder; a recorded shortcut in the folder it names.
    std::string base = FolderOf(path);
    const auto below = [&](const std::string& folder) {
        return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == '\\' &&
               PSamePath(path.substr(0, folder.size()), folder);
    };
    if (below(record.installFolder))
        base = record.installFolder;
    else if (below(record.groupFolder))
        base = FolderOf(record.groupFolder);
    auto found = places_.find(base);
    if (found == places_.end()) found = places_.emplace(base, PLinkFreeFolder(base)).first;
    return found->second;
}

Uninstaller::Removal Uninstaller::remove(const UninstallRecord& record,
                                         const std::optional<std::string>& keep) {
    Removal removal;
    const UninstallPlan plan = PlanUninstall(record, PayloadList());
    for (const std::string& file : plan.files) {
        if (keep && PSamePath(*keep, file)) {
            removal.deferred = true;
            continue;
        }
        if (!removeFile(placeOf(record, file), file)) removal.failed = true;
    }
    for (const std::string& folder : plan.folders) removeFolder(placeOf(record, folder), folder);
    // The key goes last, and only when everything else went: otherwise the user can try again.
    if (!removal.failed && !removal.deferred && !removeKey()) removal.failed = true;
    return removal;
}

bool Uninstaller::removeFile(const PLinkFreeFolder& place, const std::string& path) {
    switch (place.remove(path)) {
        case PLinkFree::kDone:
            PLog("Removed file: %s", path.c_str());
            return true;
        case PLinkFree::kAbsent:
            return true;
        case PLinkFree::kLinked:
            // Whatever stands there now is not what the installation made where it made it.
            PLog("Not removed, a link is on its way: %s", path.c_str());
            return true;
        case PLinkFree::kFailed:
            break;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    PLog("Cannot remove file '%s': %s", path.c_str(), SystemErrorMessage(error).c_str());
    return false;
}

void Uninstaller::removeFolder(const PLinkFreeFolder& place, const std::string& path) {
    switch (place.remove(path)) {
        case PLinkFree::kDone:
            PLog("Removed folder: %s", path.c_str());
            return;
        case PLinkFree::kAbsent:
            return;
        case PLinkFree::kLinked:
            PLog("Folder kept, a link is on its way: %s", path.c_str());
            return;
        case PLinkFree::kFailed:
            break;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    // What is left in it the installation did not make (or could not remove, logged above).
    PLog("Folder kept: %s: %s", path.c_str(), SystemErrorMessage(error).c_str());
}

bool Uninstaller::removeKey() {
    // Named below the root, the key goes with its values and subkeys.
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, PToWide(keyPath_.c_str()).c_str());
    if (status == ERROR_SUCCESS) {
        PLog("Removed registry key: HKEY_LOCAL_MACHINE\\%s", keyPath_.c_str());
        return true;
    }
    PLog("Cannot remove registry key '%s': %s", keyPath_.c_str(),
         SystemErrorMessage(static_cast<DWORD>(status)).c_str());
    return false;
}

bool Uninstaller::startContinuation() {
    const std::string self = ProgramPath();
    // The copy runs elevated: from a folder no one else can write to, never the user's
    // temporary folder, where a planted DLL or a swapped file would run with it.
    PPrivateFolder folder("zbuninstall");
    if (!folder.valid()) {
        PLog("Cannot make a folder for the temporary copy: %s",
             SystemErrorMessage(GetLastError()).c_str());
        return false;
    }
    const std::string copy = folder.path() + "\\" + FileNameOf(self);
    if (!CopyFileW(PToWide(self.c_str()).c_str(), PToWide(copy.c_str()).c_str(),
                   /*bFailIfExists=*/TRUE)) {
        PLog("Cannot copy '%s' to '%s': %s", self.c_str(), copy.c_str(),
             SystemErrorMessage(GetLastError()).c_str());
        return false;
    }
    const std::string processor = PSystemFolder() + "\\cmd.exe";
    const std::optional<std::string> line = ContinuationCommandLine(
        processor, copy, folder.path(), args_, static_cast<std::uint32_t>(GetCurrentProcessId()));
    if (!line) {
        PLog("Cannot continue: the display name or oid holds a quote or a percent sign");
        return false;
    }
    PROCESS_INFORMATION process{};
    if (!PCreateProcessFromSystemFolder(processor, *line, process)) {
        PLog("Cannot start '%s': %s", processor.c_str(),
             SystemErrorMessage(GetLastError()).c_str());
        return false;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    // From now on the command processor removes the folder, once the copy has ended.
    folder.release();
    PLog("Continuing from '%s'", copy.c_str());
    return true;
}
