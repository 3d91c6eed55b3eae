#include "installer/ZembricoInstall/installfolder.h"

#include <shlobj.h>

#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/ZembricoInstall/installlocation.h"
#include "plib/perror.h"
#include "plib/win/plinkfree.h"
#include "plib/win/psecurity.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// Adds `folder` as written and, when it differs, where the system reaches it.
void AddBothForms(std::vector<std::string>& list, const std::string& folder) {
    if (folder.empty()) return;
    list.push_back(folder);
    const std::string resolved = PFinalPath(folder);
    if (!resolved.empty() && !PSamePath(resolved, folder)) list.push_back(resolved);
}

std::string ParentOf(const std::string& folder) {
    const size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::string WindowsFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string()
                                             : std::string(PFromWide(folder, length).view());
}

std::string SystemErrorText(DWORD code) {
    PString text;
    PSystemErrorText(text, static_cast<std::int32_t>(code));
    return std::string(text.view());
}

}  // namespace

bool SameFolderNameOnSystem(std::u16string_view a, std::u16string_view b) {
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()),
                                static_cast<int>(a.size()),
                                reinterpret_cast<const wchar_t*>(b.data()),
                                static_cast<int>(b.size()), /*bIgnoreCase=*/TRUE) == CSTR_EQUAL;
}

std::string ResolvedFolder(const std::string& folder) {
    for (std::string existing = folder; !existing.empty(); existing = ParentOf(existing)) {
        const std::string resolved = PFinalPath(existing);
        if (!resolved.empty()) {
            const std::string rest = folder.substr(existing.size());
            return rest.empty() || rest.front() == '\\' ? resolved + rest : resolved + "\\" + rest;
        }
    }
    return folder;
}

std::vector<std::string> ProgramFilesRoots() {
    std::vector<std::string> roots;
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86})
        AddBothForms(roots, ShellFolder(csidl));
    for (const char* name : {"ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir"})
        AddBothForms(roots, ReadMachineString(kCurrentVersion, name).value_or(""));
    return roots;
}

ReservedFolders SystemReservedFolders() {
    ReservedFolders reserved;
    AddBothForms(reserved.withEverythingBelow, WindowsFolder());
    reserved.themselves = ProgramFilesRoots();
    for (int csidl :
         {CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA,
          CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC,
          CSIDL_MYVIDEO, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_STARTMENU, CSIDL_PROGRAMS,
          CSIDL_STARTUP, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS,
          CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTUP})
        AddBothForms(reserved.themselves, ShellFolder(csidl));
    AddBothForms(reserved.withChildren, ParentOf(ShellFolder(CSIDL_PROFILE)));
    return reserved;
}

bool InstallFolderIsUsable(const std::string& folder) {
    const ReservedFolders reserved = SystemReservedFolders();
    return IsUsableInstallFolder(folder, reserved, SameFolderNameOnSystem) &&
           IsUsableInstallFolder(ResolvedFolder(folder), reserved, SameFolderNameOnSystem);
}

bool MakeInstallFolder(const std::string& folder, std::string& protection) {
    const std::vector<std::string> roots = ProgramFilesRoots();
    if (LiesBelowAny(folder, roots, SameFolderNameOnSystem) ||
        LiesBelowAny(ResolvedFolder(folder), roots, SameFolderNameOnSystem)) {
        protection = "Install folder lies in a programs folder: its permissions are kept";
        return CreateAllDirectories(folder);
    }
    const std::string parent = ParentOf(folder);
    if (!parent.empty() && !CreateAllDirectories(parent)) return false;
    if (PCreateProtectedFolder(folder, PFolderReaders::kUsers)) {
        protection = "Install folder made for administrators: users may only read it";
        return true;
    }
    // There already (or a file in the way, which CreateAllDirectories reports).
    if (!CreateAllDirectories(folder)) return false;
    const DWORD error = PProtectFolder(folder, PFolderReaders::kUsers);
    protection = error == ERROR_SUCCESS ? "Install folder protected: users may only read it"
                                        : "Install folder not protected: " + SystemErrorText(error);
    return true;
}
