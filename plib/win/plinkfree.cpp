#include "plib/win/plinkfree.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring Wide(const std::string& text) {
    return PToWide(PString(text.c_str()));
}

std::string Narrow(const std::wstring& text) {
    return std::string(PFromWide(text.c_str(), text.size()).view());
}

bool SameWide(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), /*bIgnoreCase=*/TRUE) == CSTR_EQUAL;
}

// The system's path of an open item, without the "\\?\" prefix. Some network file systems
// cannot normalise a name; the name as opened (links already followed) then stands in.
std::wstring FinalOf(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = 0;
    DWORD form = FILE_NAME_NORMALIZED;
    for (;;) {
        length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                           form | VOLUME_NAME_DOS);
        if (length == 0 && form == FILE_NAME_NORMALIZED) {
            form = FILE_NAME_OPENED;
            continue;
        }
        if (length == 0) return {};
        if (length < buffer.size()) break;
        buffer.resize(length + 1);
    }
    std::wstring path(buffer.data(), length);
    if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\" + path.substr(7);
    if (path.starts_with(L"\\\\?\\")) return path.substr(4);
    return path;
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
    if (path.size() > 1 && path.back() == L'\\') path.pop_back();
    return path;
}

// The path in the form a rename takes it, which the system does not make absolute itself.
std::wstring NtPath(const std::wstring& path) {
    return path.starts_with(L"\\\\") ? L"\\??\\UNC\\" + path.substr(2) : L"\\??\\" + path;
}

bool IsAbsence(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Marks the open item for deletion; it goes when its last handle is closed.
bool DeleteOpen(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{/*DeleteFile=*/TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition);
}

}  // namespace

std::string PFinalPath(const std::string& path) {
    const UniqueFile item(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return item ? Narrow(WithoutTrailingSeparator(FinalOf(item.get()))) : std::string();
}

bool PSamePath(std::string_view a, std::string_view b) {
    return SameWide(Wide(std::string(a)), Wide(std::string(b)));
}

PLinkFreeFolder::PLinkFreeFolder(std::string folder) : folder_(std::move(folder)) {
    const UniqueFile item(CreateFileW(Wide(folder_).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (item) final_ = WithoutTrailingSeparator(FinalOf(item.get()));
    if (final_.empty()) lookUpError_ = GetLastError();
}

PLinkFree PLinkFreeFolder::notFound() const {
    SetLastError(lookUpError_);
    return PLinkFree::kFailed;
}

std::wstring PLinkFreeFolder::expected(const std::string& path) const {
    const std::wstring base = WithoutTrailingSeparator(Wide(folder_)) + L'\\';
    const std::wstring full = Wide(path);
    if (final_.empty() || full.size() <= base.size() ||
        !SameWide(std::wstring_view(full).substr(0, base.size()), base))
        return {};
    return final_ + L'\\' + full.substr(base.size());
}

PLinkFree PLinkFreeFolder::open(const std::string& path, DWORD access, DWORD share,
                                DWORD disposition, UniqueFile& file) const {
    file.reset();
    if (!valid()) return notFound();
    const std::wstring wanted = expected(path);
    if (wanted.empty()) return PLinkFree::kLinked;
    UniqueFile item(CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr));
    if (!item) return IsAbsence(GetLastError()) ? PLinkFree::kAbsent : PLinkFree::kFailed;
    if (!SameWide(FinalOf(item.get()), wanted)) {
        // Made just now, through a link: what this call made elsewhere goes again.
        if (disposition == CREATE_NEW) DeleteOpen(item.get());
        return PLinkFree::kLinked;
    }
    file = std::move(item);
    return PLinkFree::kDone;
}

PLinkFree PLinkFreeFolder::remove(const std::string& path) const {
    UniqueFile item;
    const PLinkFree opened =
        open(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, item);
    if (opened != PLinkFree::kDone) return opened;
    return DeleteOpen(item.get()) ? PLinkFree::kDone : PLinkFree::kFailed;
}

PLinkFree PLinkFreeFolder::makeFolders(const std::string& path) const {
    if (!valid()) return notFound();
    if (expected(path).empty()) return PLinkFree::kLinked;
    const std::wstring full = Wide(path);
    const size_t first = WithoutTrailingSeparator(Wide(folder_)).size() + 1;
    for (size_t end = full.find(L'\\', first);; end = full.find(L'\\', end + 1)) {
        const std::wstring folder = full.substr(0, end);
        const bool made = CreateDirectoryW(folder.c_str(), nullptr);
        if (!made && GetLastError() != ERROR_ALREADY_EXISTS) return PLinkFree::kFailed;
        UniqueFile item;
        const PLinkFree found =
            open(Narrow(folder), FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, item);
        // Made through a link: the empty folder made elsewhere goes again.
        if (found == PLinkFree::kLinked && made) RemoveDirectoryW(folder.c_str());
        if (found != PLinkFree::kDone)
            return found == PLinkFree::kAbsent ? PLinkFree::kFailed : found;
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(item.get(), &info)) return PLinkFree::kFailed;
        if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return PLinkFree::kLinked;
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return PLinkFree::kFailed;
        }
        if (end == std::wstring::npos) return PLinkFree::kDone;
    }
}

PLinkFree PLinkFreeFolder::createFile(const std::string& path, UniqueFile& file) const {
    file.reset();
    UniqueFile existing;
    const PLinkFree found =
        open(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, existing);
    if (found == PLinkFree::kLinked || found == PLinkFree::kFailed) return found;
    if (found == PLinkFree::kDone) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(existing.get(), &info)) return PLinkFree::kFailed;
        // A folder is no file to replace; a link to one is replaced like any link.
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return PLinkFree::kFailed;
        }
        if (!DeleteOpen(existing.get())) return PLinkFree::kFailed;
        existing.reset();
    }
    // CREATE_NEW never opens what stands at the path, whatever was put there meanwhile.
    return open(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_NEW, file);
}

PLinkFree PLinkFreeFolder::plainFile(const std::string& path, DWORD access,
                                     UniqueFile& file) const {
    const PLinkFree opened =
        open(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, file);
    if (opened != PLinkFree::kDone) return opened;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        file.reset();
        return PLinkFree::kFailed;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        file.reset();
        SetLastError(ERROR_ACCESS_DENIED);
        return PLinkFree::kFailed;
    }
    // A second name is a hard link: writing or reading it reaches another file's content.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks != 1) {
        file.reset();
        return PLinkFree::kLinked;
    }
    return PLinkFree::kDone;
}

PLinkFree PLinkFreeFolder::openFile(const std::string& path, UniqueFile& file) const {
    return plainFile(path, GENERIC_READ, file);
}

PLinkFree PLinkFreeFolder::checkFile(const std::string& path) const {
    UniqueFile item;
    return plainFile(path, FILE_READ_ATTRIBUTES, item);
}

PLinkFree PLinkFreeFolder::rename(const std::string& from, const std::string& to) const {
    if (!valid()) return notFound();
    const std::wstring source = expected(from);
    const std::wstring target = expected(to);
    const size_t slash = source.rfind(L'\\');
    if (source.empty() || target.empty() || target.rfind(L'\\') != slash ||
        !SameWide(std::wstring_view(target).substr(0, slash),
                  std::wstring_view(source).substr(0, slash)))
        return PLinkFree::kLinked;
    UniqueFile item;
    const PLinkFree opened =
        open(from, DELETE | FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, item);
    if (opened != PLinkFree::kDone) return opened;
    // The target is named by the place the source was found at, not through what its path
    // passes now; that folder cannot be renamed while the source is open.
    const std::wstring name = NtPath(target);
    std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->FileName);
    return SetFileInformationByHandle(item.get(), FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size()))
               ? PLinkFree::kDone
               : PLinkFree::kFailed;
}
