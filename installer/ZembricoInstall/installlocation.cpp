#include "installer/ZembricoInstall/installlocation.h"

#include <shlobj.h>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/installspace.h"
#include "installer/core/messagetable.h"
#include "installer/core/payloadarchive.h"
#include "installer/core/registrationplan.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/pregistry.h"
#include "plib/win/pshell.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

namespace {

std::string Narrow(const PString& text) {
    return std::string(text.view());
}

struct SpaceCache {
    char drive = 0;
    bool measured = false;
    std::uint64_t available = 0;
    std::uint64_t rawRequired = 0;
};
// Main thread only: the wizard measures on its own thread.
SpaceCache theSpaceCache;

void MeasureDrive(char drive, const ArchiveSizeAt& archiveSize) {
    theSpaceCache = SpaceCache{drive};
    const char root[] = {drive, ':', '\\', '\0'};
    std::uint64_t callerAvailable = 0;
    if (PDiskFreeSpaceEx(PString(root), callerAvailable, nullptr)) {
        theSpaceCache.available = callerAvailable;
        theSpaceCache.rawRequired = archiveSize(4096);
        theSpaceCache.measured = true;
        return;
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    theSpaceCache.measured = PDiskFreeSpace(PString(root), sectorsPerCluster, bytesPerSector,
                                            freeClusters, totalClusters, nullptr) != 0;
    if (!theSpaceCache.measured) return;
    const std::uint64_t clusterSize = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    theSpaceCache.available = clusterSize * freeClusters;
    theSpaceCache.rawRequired = archiveSize(static_cast<std::uint32_t>(clusterSize));
}

struct BrowseTexts {
    std::wstring title, ok, cancel, newFolder, start;
};

std::wstring MessageWide(MessageKey key, int language) {
    PString text;
    TheMessageTable().lookup(text, key, language);
    return PToWide(text);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM detail, LPARAM data) noexcept {
    try {
        const auto* texts = reinterpret_cast<const BrowseTexts*>(data);
        if (message == BFFM_INITIALIZED) {
            SendMessageW(dialog, BFFM_ENABLEOK, 0, FALSE);
            SetWindowTextW(dialog, texts->title.c_str());
            SetDlgItemTextW(dialog, IDOK, texts->ok.c_str());
            SetDlgItemTextW(dialog, IDCANCEL, texts->cancel.c_str());
            SetDlgItemTextW(dialog, /*new folder button=*/14150, texts->newFolder.c_str());
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                         reinterpret_cast<LPARAM>(texts->start.c_str()));
            // Some shells fill the tree only after this notification and then select its root:
            // select again once they are done. The text lives until the dialog has closed.
            PostMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                         reinterpret_cast<LPARAM>(texts->start.c_str()));
        } else if (message == BFFM_SELCHANGED) {
            PString path;
            const bool accept =
                PItemPath(reinterpret_cast<PCIDLIST_ABSOLUTE>(detail), path, &PMixedEncoding()) &&
                FolderBrowserMayAccept(PToWide(path).c_str());
            SendMessageW(dialog, BFFM_ENABLEOK, 0, accept ? TRUE : FALSE);
            // A shell that validates the selection itself after this notification would
            // override the answer: give it again once the notification is over.
            PostMessageW(dialog, BFFM_ENABLEOK, 0, accept ? TRUE : FALSE);
        }
    } catch (...) {
        // Nothing may leave a shell callback; the dialog keeps its state.
    }
    return 0;
}

}  // namespace

std::optional<std::string> ReadMachineString(const std::string& keyPath, const char* name) {
    UniqueRegKey key;
    DWORD type = 0;
    DWORD bytes = 0;
    if (PRegOpenKey(HKEY_LOCAL_MACHINE, PString(keyPath.c_str()), 0, KEY_READ, key) !=
            ERROR_SUCCESS ||
        PRegValueSize(key.get(), name, type, bytes, &PMixedEncoding()) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    PString value;
    if (PRegReadString(key.get(), name, value, &PMixedEncoding()) != ERROR_SUCCESS)
        return std::nullopt;
    return Narrow(value);
}

std::string ShellFolder(int csidl) {
    return Narrow(PShellFolderPath(csidl, &PMixedEncoding()));
}

std::string ComputeDefaultFolder(const InstallParameters& params) {
    std::string programFiles =
        ReadMachineString("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir")
            .value_or("");
    if (programFiles.empty()) programFiles = "C:\\Program Files";
    return PMixedJoin({programFiles, "\\", params.workFolderName});
}

void ComputeShellFolders(InstallParameters& params) {
    params.desktopFolder = ShellFolder(CSIDL_DESKTOP);
    params.programsFolder = ShellFolder(CSIDL_PROGRAMS);
    params.startMenuFolder = ShellFolder(CSIDL_STARTMENU);
    if (params.hasAdminRights) {
        params.commonDesktopFolder = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
        params.commonProgramsFolder = ShellFolder(CSIDL_COMMON_PROGRAMS);
        params.commonStartMenuFolder = ShellFolder(CSIDL_COMMON_STARTMENU);
    }
    params.quickLaunchFolder = ShellFolder(CSIDL_APPDATA);
    if (!params.quickLaunchFolder.empty()) params.quickLaunchFolder += kQuickLaunchBelowAppData;
    if (params.useLocalAppData) params.localAppDataFolder = ShellFolder(CSIDL_LOCAL_APPDATA);
}

std::optional<std::string> ReadPreviousInstallLocation(const std::string& displayName) {
    std::optional<std::string> location =
        ReadMachineString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + displayName,
                          "InstallLocation");
    // An empty folder is no folder: it would become the install folder as it stands.
    if (location && location->empty()) return std::nullopt;
    return location;
}

std::uint32_t PayloadArchiveSizeAt(std::uint32_t clusterSize) {
    const std::span<const std::uint8_t> payload = ModulePayload().bytes;
    PASSERT(!payload.empty());
    return RequiredSpace(payload.data(), static_cast<std::uint32_t>(payload.size()), clusterSize);
}

bool SpaceForPath(const std::string& path, std::uint64_t& available, std::uint64_t& required,
                  const ArchiveSizeAt& archiveSize) {
    available = 0;
    required = 0;
    // A path with characters outside Windows-1252 is marked UTF-8; its drive letter follows
    // the marker.
    const std::string_view text =
        !path.empty() && path[0] == '\x10' ? std::string_view(path).substr(1) : path;
    if (text.size() < 2 || text[1] != ':') return theSpaceCache.measured;
    if (text[0] != theSpaceCache.drive) MeasureDrive(text[0], archiveSize);
    available = theSpaceCache.available;
    required = ShownRequiredSpace(theSpaceCache.rawRequired);
    return theSpaceCache.measured;
}

void ForgetSpaceCache() {
    theSpaceCache = SpaceCache{};
}

SpaceLabels ComputeSpaceLabels(const std::string& path, int language,
                               const ArchiveSizeAt& archiveSize) {
    SpaceLabels labels;
    labels.measured = SpaceForPath(path, labels.available, labels.required, archiveSize);
    if (labels.measured) {
        labels.requiredText = SpaceLabelText(TheMessageTable(), TXTINS_Space_requiredX_N0_N1,
                                             labels.required, language);
        labels.availableText = SpaceLabelText(TheMessageTable(), TXTINS_Space_availableX_N0_N1,
                                              labels.available, language);
    }
    return labels;
}

bool FolderBrowserMayAccept(const wchar_t* path) {
    if (!path || wcslen(path) <= 3) return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_FIXED;
}

std::optional<std::string> BrowseForInstallFolder(HWND owner, const std::string& startFolder,
                                                  const InstallParameters& params, int language) {
    BrowseTexts texts{MessageWide(TXTINS_Browse_For_Folder, language),
                      MessageWide(TXTINS_OK, language), MessageWide(TXTINS_Cancel, language),
                      MessageWide(TXTINS_Make_New_Folder, language),
                      PToWide(PString(startFolder.c_str()))};
    PString prompt;
    TheMessageTable().lookup(prompt, TXTINS_Select_the_folder_to_install_N_ELL, language,
                             PString(params.displayName.c_str()));
    PString picked;
    if (!PBrowseForFolder(owner, prompt, BrowseCallback, reinterpret_cast<LPARAM>(&texts), picked,
                          &PMixedEncoding()) ||
        picked.empty())
        return std::nullopt;
    return std::string(InstallFolderForPick(picked, params.brand, params.name).view());
}
