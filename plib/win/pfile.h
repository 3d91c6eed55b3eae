#pragma once

#include <windows.h>

#include <cstdint>

#include "plib/pstring.h"
#include "plib/psystem.h"
#include "plib/winseam/unique.h"

class PStringEncoding;

// File and folder helpers over the wide-or-narrow layer (see pwidenarrow.h). Names are read
// through `encoding`; with none their bytes go unchanged to the narrow calls. Opening and
// deleting files are in plib/psystem.h (POpenFile, PDeleteFile).

// True when the attributes of `name` can be read.
bool PFileExists(const PString& name, const PStringEncoding* encoding);

// Searches for `name`: false when nothing is found, true when a directory is. Throws
// PInternalError "same name object but not a directory" when something else has the name.
bool PDirectoryExists(const PString& name, const PStringEncoding* encoding);

// Creates one directory: true when created, false when it already existed. Any other failure
// throws PInternalError "Unable to create directory: " + the C library's error number.
bool PMakeDirectory(const PString& name, const PStringEncoding* encoding);

// CreateDirectory with default security: the system's result, its reason in GetLastError.
BOOL PCreateDirectory(const PString& name, const PStringEncoding* encoding);

// GetDiskFreeSpaceEx, looked up at run time (the first Windows 95 editions lack it): the bytes
// of `root` ("C:\\") available to the caller. FALSE, with ERROR_CALL_NOT_IMPLEMENTED, where the
// call is missing; the system's result otherwise.
BOOL PDiskFreeSpaceEx(const PString& root, std::uint64_t& callerAvailable,
                      const PStringEncoding* encoding);

// GetDiskFreeSpace: the system's result and the drive's geometry.
BOOL PDiskFreeSpace(const PString& root, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                    DWORD& freeClusters, DWORD& totalClusters, const PStringEncoding* encoding);

// The system's temporary folder (ending in a backslash) read through `encoding`; empty when the
// system cannot give it or it does not fit MAX_PATH characters.
PString PTemporaryFolder(const PStringEncoding* encoding);

// Copies `source` over `target`. Throws PInternalError "Unable to copy file: '" + source +
// "' err=" + the system error code on failure.
void PCopyFile(const PString& source, const PString& target, const PStringEncoding* encoding);

// The C library's stream over the open file `handle`, which it then owns; `mode` is one of
// "rb", "rt", "wb" and "wt" and must fit the handle's access. Null (the handle closed) when the
// library cannot take it.
PFile PFileOfHandle(UniqueFile handle, const char* mode);

// One directory search at a time, skipping "." and "..". The wide-or-narrow form is chosen when
// the object is made; names are given through its encoding.
class PDirectorySearch {
  public:
    explicit PDirectorySearch(const PStringEncoding* encoding);

    // Ends any earlier search and starts one for `pattern` ("C:\\dir\\*"). False when no entry
    // is found.
    bool findFirst(const PString& pattern);
    // The next entry; false when none is left (or no search is open).
    bool findNext();
    void close() noexcept { handle_.reset(); }

    // The current entry, valid after findFirst or findNext gave true.
    PString name() const;
    std::uint32_t attributes() const noexcept;
    bool isDirectory() const noexcept { return (attributes() & FILE_ATTRIBUTE_DIRECTORY) != 0; }

  private:
    // Skips "." and ".." from the current entry on; false when the search runs out.
    bool skipDots();
    bool currentIsDot() const noexcept;
    bool advance();

    const PStringEncoding* encoding_;
    bool wideChoice_;
    bool wideSearch_ = false;
    UniqueFind handle_;
    WIN32_FIND_DATAW wideRecord_{};
    WIN32_FIND_DATAA narrowRecord_{};
};
