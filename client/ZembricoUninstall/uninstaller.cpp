#include "client/ZembricoUninstall/uninstaller.h"

#include <algorithm>
#include <cstdio>

#include "client/ZembricoUninstall/uninstallprompts.h"
#include "client/common/clientbuild.h"
#include "client/common/clientsystem.h"
#include "client/core/uninstallcodes.h"
#include "plib/perror.h"
#include "plib/plog.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/win/prunningclient.h"
#include "plib/win/pwidenarrow.h"
#include "plib/win/unique.h"

namespace {

// How long the temporary copy waits for the original uninstaller to end.
constexpr DWORD kOriginalExitTimeoutMs = 60000;

bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringOrdinal(PToWide(a.c_str()).c_str(), -1, PToWide(b.c_str()).c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

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

std::vector<std::string> ReadPayloadList(const std::string& installFolder) {
    PFile file = POpenFile(PString((installFolder + "\\" + kPayloadListName).c_str()), "rb",
                           &PMixedEncoding());
    if (!file) return {};
    std::string text;
    char buffer[4096];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        text.append(buffer, read);
    return ParsePayloadList(text);
}

}  // namespace

Uninstaller::Uninstaller(UninstallArguments args, std::string logPath)
    : args_(std::move(args)), keyPath_(UninstallKeyPath(args_)), logPath_(std::move(logPath)) {}

int Uninstaller::run() {
    // A process whose current folder is the install folder keeps that folder from being removed.
    SetCurrentDirectoryW(PToWide(TempFolderPath().c_str()).c_str());
    PLog("Uninstall '%s'", keyPath_.c_str());
    if (args_.originalProcess) {
        // The number is a handle the original made inheritable for this process.
        UniqueHandle original(ULongToHandle(*args_.originalProcess));
        return finishForOriginal(original.get());
    }
    return runInteractive();
}

int Uninstaller::runInteractive() {
    UninstallRecord record;
    int language = 0;
    if (!readRecord(record, language)) {
        PLog("Not installed: no key '%s'", keyPath_.c_str());
        UninstallPrompts(language, args_.displayName).notFound();
        return kUninstallNotFound;
    }
    UninstallPrompts prompts(language, record.fullDisplayName);
    if (!prompts.confirm()) {
        PLog("Cancelled by the user");
        return kUninstallCancelled;
    }
    ClientSettings installed;
    ReadInstalledAppIni(record.installFolder, installed);
    const std::string windowClass = ReadClientBuild(installed.site).settings.mainWindowClass;
    while (ClientIsRunning(windowClass)) {
        PLog("The client is running ('%s')", windowClass.c_str());
        if (!prompts.retryWhileRunning()) {
            PLog("Given up while the client runs: nothing removed");
            return kUninstallClientRunning;
        }
    }

    std::vector<std::string> keep;
    const std::string self = ProgramPath();
    const UninstallPlan plan = PlanUninstall(record, ReadPayloadList(record.installFolder));
    if (std::any_of(plan.files.begin(), plan.files.end(),
                    [&](const std::string& file) { return SamePath(file, self); }))
        keep = {self, record.installFolder + "\\" + kPayloadListName};
    Removal removal = remove(record, keep);
    // After a failure the uninstaller, its list and the key stay, so that the user can try again.
    if (!removal.failed && removal.deferred && !startContinuation()) {
        removal.failed = true;
        PLog("Cannot continue from a temporary copy: '%s' stays", self.c_str());
    }
    if (removal.failed) {
        prompts.incomplete(logPath_);
        return kUninstallIncomplete;
    }
    prompts.removed();
    return kUninstallRemoved;
}

int Uninstaller::finishForOriginal(HANDLE original) {
    PLog("Continuing from the temporary copy '%s'", ProgramPath().c_str());
    if (WaitForSingleObject(original, kOriginalExitTimeoutMs) != WAIT_OBJECT_0)
        PLog("The original uninstaller has not ended");
    UninstallRecord record;
    int language = 0;
    int code = kUninstallNotFound;
    if (readRecord(record, language))
        code = remove(record, {}).failed ? kUninstallIncomplete : kUninstallRemoved;
    // A temporary file cannot delete itself either: it goes when Windows next starts.
    MoveFileExW(PToWide(ProgramPath().c_str()).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return code;
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

Uninstaller::Removal Uninstaller::remove(const UninstallRecord& record,
                                         const std::vector<std::string>& keep) {
    Removal removal;
    const UninstallPlan plan = PlanUninstall(record, ReadPayloadList(record.installFolder));
    for (const std::string& file : plan.files) {
        if (std::any_of(keep.begin(), keep.end(),
                        [&](const std::string& kept) { return SamePath(kept, file); })) {
            removal.deferred = true;
            continue;
        }
        if (!removeFile(file)) removal.failed = true;
    }
    for (const std::string& folder : plan.folders) removeFolder(folder);
    // The key goes last, and only when everything else went: otherwise the user can try again.
    if (!removal.failed && !removal.deferred && !removeKey()) removal.failed = true;
    return removal;
}

bool Uninstaller::removeFile(const std::string& path) {
    if (DeleteFileW(PToWide(path.c_str()).c_str())) {
        PLog("Removed file: %s", path.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    PLog("Cannot remove file '%s': %s", path.c_str(), SystemErrorMessage(error).c_str());
    return false;
}

void Uninstaller::removeFolder(const std::string& path) {
    if (RemoveDirectoryW(PToWide(path.c_str()).c_str())) {
        PLog("Removed folder: %s", path.c_str());
        return;
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
    const std::string copy = TempFolderPath() + "zbuninstall-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount()) + ".exe";
    if (!CopyFileW(PToWide(self.c_str()).c_str(), PToWide(copy.c_str()).c_str(),
                   /*bFailIfExists=*/FALSE)) {
        PLog("Cannot copy '%s' to '%s': %s", self.c_str(), copy.c_str(),
             SystemErrorMessage(GetLastError()).c_str());
        return false;
    }
    HANDLE inheritable = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(),
                         &inheritable, SYNCHRONIZE, /*bInheritHandle=*/TRUE, 0))
        return false;
    UniqueHandle original(inheritable);
    std::wstring commandLine = PToWide(
        ContinuationCommandLine(copy, args_, static_cast<std::uint32_t>(HandleToULong(inheritable)))
            .c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(PToWide(copy.c_str()).c_str(), commandLine.data(), nullptr, nullptr,
                        /*bInheritHandles=*/TRUE, 0, nullptr,
                        PToWide(TempFolderPath().c_str()).c_str(), &startup, &process)) {
        PLog("Cannot start '%s': %s", copy.c_str(), SystemErrorMessage(GetLastError()).c_str());
        DeleteFileW(PToWide(copy.c_str()).c_str());
        return false;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    PLog("Continuing from '%s'", copy.c_str());
    return true;
}
