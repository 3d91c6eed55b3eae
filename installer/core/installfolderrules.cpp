#include "installer/core/installfolderrules.h"

#include <algorithm>

#include "installer/core/mixedtext.h"
#include "installer/core/windowsfilename.h"

namespace {

std::u16string WithoutTrailingSeparator(std::u16string path) {
    if (!path.empty() && path.back() == u'\\') path.pop_back();
    return path;
}

// The length of the root of `path` ("C:\" or "\\server\share\"), or 0 when it has none.
size_t RootLength(std::u16string_view path) {
    if (path.size() >= 3 && path[1] == u':' && path[2] == u'\\') {
        const char16_t letter = path[0] | 0x20;
        return letter >= u'a' && letter <= u'z' ? 3 : 0;
    }
    if (!path.starts_with(u"\\\\")) return 0;
    const size_t server = path.find(u'\\', 2);
    if (server == std::u16string_view::npos || server == 2 ||
        !IsPlainFileName(path.substr(2, server - 2)))
        return 0;
    const size_t share = path.find(u'\\', server + 1);
    if (share == std::u16string_view::npos || share == server + 1 ||
        !IsPlainFileName(path.substr(server + 1, share - server - 1)))
        return 0;
    return share + 1;
}

bool HasPlainNames(std::u16string_view names) {
    if (names.empty()) return false;
    for (size_t start = 0;;) {
        const size_t end = names.find(u'\\', start);
        if (!IsPlainFileName(names.substr(start, end - start))) return false;
        if (end == std::u16string_view::npos) return true;
        start = end + 1;
    }
}

// Whether `path` is `folder` plus a backslash and more; `folder` itself does not count.
bool IsBelow(std::u16string_view path, std::u16string_view folder, SameFolderName same) {
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == u'\\' &&
           same(path.substr(0, folder.size()), folder);
}

bool IsAny(std::u16string_view path, const std::vector<std::string>& folders, SameFolderName same,
           bool (*test)(std::u16string_view, std::u16string_view, SameFolderName)) {
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
        const std::u16string units = WithoutTrailingSeparator(WindowsUnitsOf(folder));
        return !units.empty() && test(path, units, same);
    });
}

bool IsSame(std::u16string_view path, std::u16string_view folder, SameFolderName same) {
    return same(path, folder);
}

bool IsSameOrBelow(std::u16string_view path, std::u16string_view folder, SameFolderName same) {
    return same(path, folder) || IsBelow(path, folder, same);
}

// `folder` itself or one name below it.
bool IsSameOrChild(std::u16string_view path, std::u16string_view folder, SameFolderName same) {
    if (same(path, folder)) return true;
    return IsBelow(path, folder, same) &&
           path.find(u'\\', folder.size() + 1) == std::u16string_view::npos;
}

}  // namespace

bool IsUsableInstallFolder(std::string_view folder, const ReservedFolders& reserved,
                           SameFolderName same) {
    const std::u16string units = WindowsUnitsOf(folder);
    const size_t root = RootLength(units);
    if (root == 0) return false;
    const std::u16string path = units.size() > root ? WithoutTrailingSeparator(units) : units;
    if (path.size() <= root || !HasPlainNames(std::u16string_view(path).substr(root))) return false;
    return !IsAny(path, reserved.withEverythingBelow, same, IsSameOrBelow) &&
           !IsAny(path, reserved.themselves, same, IsSame) &&
           !IsAny(path, reserved.withChildren, same, IsSameOrChild);
}

bool LiesBelowAny(std::string_view folder, const std::vector<std::string>& roots,
                  SameFolderName same) {
    return IsAny(WithoutTrailingSeparator(WindowsUnitsOf(folder)), roots, same, IsBelow);
}
