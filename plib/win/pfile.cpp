#include "plib/win/pfile.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <cwchar>

#include "plib/perror.h"
#include "plib/winseam/plibrary.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

bool IsDotName(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsDotName(const wchar_t* name) {
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

template <typename Function, typename Char>
BOOL CallFreeSpaceEx(Function call, Char* root, std::uint64_t& callerAvailable) {
    if (!call) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    ULARGE_INTEGER available{};
    const BOOL result = call(root, &available, nullptr, nullptr);
    callerAvailable = available.QuadPart;
    return result;
}

}  // namespace

bool PFileExists(const PString& name, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText text(name, encoding, wide);
    const DWORD attributes = wide ? GetFileAttributesW(text.w()) : GetFileAttributesA(text.a());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

bool PDirectoryExists(const PString& name, const PStringEncoding* encoding) {
    PDirectorySearch search(encoding);
    if (!search.findFirst(name)) {
        return false;
    }
    if (!search.isDirectory()) {
        throw PInternalError("same name object but not a directory");
    }
    return true;
}

bool PMakeDirectory(const PString& name, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText text(name, encoding, wide);
    if ((wide ? _wmkdir(text.w()) : _mkdir(text.a())) == 0) {
        return true;
    }
    const int error = errno;
    if (error == EEXIST) {
        return false;
    }
    PString message("Unable to create directory: ");
    message.appendDecimal(static_cast<std::int32_t>(error));
    throw PInternalError(message.c_str());
}

BOOL PCreateDirectory(const PString& name, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText text(name, encoding, wide);
    return wide ? CreateDirectoryW(text.w(), nullptr) : CreateDirectoryA(text.a(), nullptr);
}

BOOL PDiskFreeSpaceEx(const PString& root, std::uint64_t& callerAvailable,
                      const PStringEncoding* encoding) {
    using WideFn = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    using NarrowFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    const bool wide = PWideFor(encoding);
    PSysText text(root, encoding, wide);
    const PLibrary kernel("kernel32", PLibrarySearch::kUnrestricted);
    return wide ? CallFreeSpaceEx(kernel.function<WideFn>("GetDiskFreeSpaceExW"), text.w(),
                                  callerAvailable)
                : CallFreeSpaceEx(kernel.function<NarrowFn>("GetDiskFreeSpaceExA"), text.a(),
                                  callerAvailable);
}

BOOL PDiskFreeSpace(const PString& root, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                    DWORD& freeClusters, DWORD& totalClusters, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText text(root, encoding, wide);
    return wide ? GetDiskFreeSpaceW(text.w(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                    &totalClusters)
                : GetDiskFreeSpaceA(text.a(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                    &totalClusters);
}

PString PTemporaryFolder(const PStringEncoding* encoding) {
    PString folder;
    if (PWideFor(encoding)) {
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH, path);
        if (length > 0 && length <= MAX_PATH) PAppendWide(folder, path, length, encoding);
        return folder;
    }
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH, path);
    if (length > 0 && length <= MAX_PATH) PAppendNarrow(folder, path, length, encoding);
    return folder;
}

void PCopyFile(const PString& source, const PString& target, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText from(source, encoding, wide);
    PSysText to(target, encoding, wide);
    const BOOL copied = wide ? CopyFileW(from.w(), to.w(), /*bFailIfExists=*/FALSE)
                             : CopyFileA(from.a(), to.a(), /*bFailIfExists=*/FALSE);
    if (copied) {
        return;
    }
    const DWORD error = GetLastError();
    PString message("Unable to copy file: '");
    message.append(source.c_str())
        .append("' err=")
        .appendDecimal(static_cast<std::uint32_t>(error));
    throw PInternalError(message.c_str());
}

PDirectorySearch::PDirectorySearch(const PStringEncoding* encoding)
    : encoding_(encoding), wideChoice_(PWideFor(encoding)) {}

bool PDirectorySearch::findFirst(const PString& pattern) {
    close();
    wideSearch_ = wideChoice_;
    PSysText text(pattern, encoding_, wideSearch_);
    handle_.reset(wideSearch_ ? FindFirstFileW(text.w(), &wideRecord_)
                              : FindFirstFileA(text.a(), &narrowRecord_));
    return handle_ && skipDots();
}

bool PDirectorySearch::findNext() {
    return advance() && skipDots();
}

bool PDirectorySearch::advance() {
    if (!handle_) {
        return false;
    }
    const BOOL found = wideSearch_ ? FindNextFileW(handle_.get(), &wideRecord_)
                                   : FindNextFileA(handle_.get(), &narrowRecord_);
    return found != 0;
}

bool PDirectorySearch::skipDots() {
    while (currentIsDot()) {
        if (!advance()) {
            return false;
        }
    }
    return true;
}

bool PDirectorySearch::currentIsDot() const noexcept {
    return wideSearch_ ? IsDotName(wideRecord_.cFileName) : IsDotName(narrowRecord_.cFileName);
}

PString PDirectorySearch::name() const {
    PString out;
    if (wideSearch_) {
        PAppendWide(out, wideRecord_.cFileName, MAX_PATH, encoding_);
    } else {
        PAppendNarrow(out, narrowRecord_.cFileName,
                      PString::boundedLength(narrowRecord_.cFileName, MAX_PATH), encoding_);
    }
    return out;
}

std::uint32_t PDirectorySearch::attributes() const noexcept {
    return wideSearch_ ? wideRecord_.dwFileAttributes : narrowRecord_.dwFileAttributes;
}

PFile PFileOfHandle(UniqueFile handle, const char* mode) {
    const bool write = mode[0] == 'w';
    const int flags = (write ? _O_WRONLY : _O_RDONLY) | (mode[1] == 't' ? _O_TEXT : _O_BINARY);
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), flags);
    if (descriptor == -1) return nullptr;
    handle.release();
    PFile file(_fdopen(descriptor, mode));
    if (!file) _close(descriptor);
    return file;
}
