#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "plib/winseam/unique.h"

// Work in folders that someone other than an administrator may have prepared. An elevated
// program that follows a link planted there (a junction, a symbolic link, a mount point) acts
// on a place of that person's choosing: it deletes, moves or overwrites another file. These
// helpers act on an item only where the system reaches it at the path it was given. Paths are
// program text (mixed encoding).

// The path the system reaches for `path`, every link on the way followed and short names made
// long, as "C:\..." or "\\server\share\..."; empty when it cannot be opened.
std::string PFinalPath(const std::string& path);
// Whether `a` and `b` are the same path as Windows compares file names (case ignored).
bool PSamePath(std::string_view a, std::string_view b);

// What an operation of PLinkFreeFolder came to. After kFailed, GetLastError tells why.
enum class PLinkFree {
    kDone,
    kAbsent,  // nothing stands at the path
    kLinked,  // the path leads elsewhere (a link on the way, or a second name): nothing was done
    kFailed,
};

// A folder, taken where the system reaches it when the object is made, below which no link is
// followed: an item is acted on only when the system reaches it at the folder's place and the
// item's relative path, and an item that is itself a link is that link, never what it points
// to. Links above the folder (a profile moved to another drive) are followed once, when the
// folder is looked up. Every path given must be the folder's path, a backslash and a relative
// path; any other gives kLinked.
class PLinkFreeFolder {
  public:
    explicit PLinkFreeFolder(std::string folder);

    // False when the folder cannot be looked up; every operation then gives kFailed, with the
    // look-up's error in GetLastError.
    bool valid() const noexcept { return !final_.empty(); }
    const std::string& path() const noexcept { return folder_; }

    // Deletes the file, link or empty folder at `path`.
    PLinkFree remove(const std::string& path) const;
    // Makes `path` and the missing folders between it and this folder. A file in the way gives
    // kFailed with ERROR_ALREADY_EXISTS, as making a folder there would.
    PLinkFree makeFolders(const std::string& path) const;
    // A new, empty file at `path`, open for writing; a file or link that stood there is removed
    // first. A folder there gives kFailed with ERROR_ACCESS_DENIED.
    PLinkFree createFile(const std::string& path, UniqueFile& file) const;
    // The plain file at `path` (no link, no second name), open for reading. A folder there gives
    // kFailed with ERROR_ACCESS_DENIED.
    PLinkFree openFile(const std::string& path, UniqueFile& file) const;
    // What openFile would find at `path`, opening nothing.
    PLinkFree checkFile(const std::string& path) const;
    // Renames the item at `from` to `to`, a name in the same folder; an existing `to` stays and
    // the rename fails. A `to` in another folder gives kLinked.
    PLinkFree rename(const std::string& from, const std::string& to) const;

  private:
    // The path the system must reach for `path`; empty when `path` is not below the folder.
    std::wstring expected(const std::string& path) const;
    // Opens the item at `path` itself (a final link is not followed) when it is where expected.
    PLinkFree open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                   UniqueFile& file) const;
    PLinkFree plainFile(const std::string& path, DWORD access, UniqueFile& file) const;

    // kFailed with the look-up's error.
    PLinkFree notFound() const;

    std::string folder_;
    std::wstring final_;
    DWORD lookUpError_ = ERROR_SUCCESS;
};
