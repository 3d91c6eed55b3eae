#include "plib/win/poldfiles.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "plib/win/plinkfree.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

namespace {

struct OldFile {
    std::string path;
    std::uint64_t written;
};

std::uint64_t Ticks(const FILETIME& time) {
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

}  // namespace

void PRemoveOldFiles(const std::string& folder, const std::function<bool(std::string_view)>& ours,
                     std::size_t keep) {
    std::vector<OldFile> files;
    WIN32_FIND_DATAW found;
    const UniqueFind search(
        FindFirstFileW(PToWide(PString((folder + "\\*").c_str())).c_str(), &found));
    if (!search) return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::string name(PFromWide(found.cFileName).view());
        if (ours(name)) files.push_back({folder + "\\" + name, Ticks(found.ftLastWriteTime)});
    } while (FindNextFileW(search.get(), &found));
    if (files.size() <= keep) return;
    std::sort(files.begin(), files.end(),
              [](const OldFile& a, const OldFile& b) { return a.written > b.written; });
    const PLinkFreeFolder place(folder);
    for (auto old = files.begin() + static_cast<std::ptrdiff_t>(keep); old != files.end(); ++old)
        place.remove(old->path);
}
