#include "plib/win/pprivatefolder.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "plib/win/plinkfree.h"
#include "plib/win/psecurity.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

std::string WindowsTempFolder() {
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::string(PFromWide(windows, length).view()) + "\\Temp";
}

std::string RandomName(const char* stem) {
    std::random_device random;
    const unsigned long long bits = (std::uint64_t{random()} << 32) | random();
    char digits[20];
    std::snprintf(digits, sizeof digits, "-%016llx", bits);
    return stem + std::string(digits);
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const UniqueFind search(
        FindFirstFileW(PToWide(PString((folder + "\\*").c_str())).c_str(), &found));
    if (!search) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(folder + "\\" + std::string(PFromWide(name.c_str()).view()));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

void RemoveAtRestart(const std::string& path) {
    MoveFileExW(PToWide(PString(path.c_str())).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

PPrivateFolder::PPrivateFolder(const char* stem) {
    const std::string temp = WindowsTempFolder();
    if (temp.empty()) return;
    const std::string path = temp + "\\" + RandomName(stem);
    if (!PCreateProtectedFolder(path, PFolderReaders::kNobody)) return;
    // Held open for its entries (an open for attributes alone takes no part in sharing) and
    // without delete sharing: the folder cannot be renamed and another put in its place.
    held_.reset(CreateFileW(PToWide(PString(path.c_str())).c_str(), FILE_LIST_DIRECTORY,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held_) {
        const DWORD error = GetLastError();
        RemoveDirectoryW(PToWide(PString(path.c_str())).c_str());
        SetLastError(error);
        return;
    }
    path_ = path;
}

PPrivateFolder::~PPrivateFolder() {
    if (valid()) remove();
}

bool PPrivateFolder::remove() {
    if (!valid()) return true;
    bool removed = true;
    const PLinkFreeFolder folder(path_);
    for (const std::string& entry : Entries(path_)) {
        if (folder.remove(entry) != PLinkFree::kDone) {
            RemoveAtRestart(entry);
            removed = false;
        }
    }
    held_.reset();
    const std::string path = path_;
    path_.clear();
    const size_t slash = path.rfind('\\');
    if (PLinkFreeFolder(path.substr(0, slash)).remove(path) != PLinkFree::kDone) {
        RemoveAtRestart(path);
        return false;
    }
    return removed;
}

void PPrivateFolder::release() noexcept {
    held_.reset();
    path_.clear();
}
