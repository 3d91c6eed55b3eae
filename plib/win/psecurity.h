#pragma once

#include <windows.h>

#include <string>

#include "plib/winseam/unique.h"

// Folders that elevated programs may trust: only administrators and SYSTEM can change them or
// what they hold, whatever the folder above them allows. Paths are program text (mixed
// encoding).

// Who besides administrators and SYSTEM may look into a protected folder.
enum class PFolderReaders {
    kUsers,   // every user may read and run what it holds (an install folder)
    kNobody,  // no one else may even look (a private working folder)
};

// The security descriptor of a protected folder: administrators and SYSTEM full control, the
// users of `readers` read and execute, each inherited by every file and folder below, and
// nothing inherited from the folder above. Null when the system cannot make it (GetLastError).
UniqueLocalMemory PProtectedFolderDescriptor(PFolderReaders readers);

// Creates the one folder `path` with that descriptor, so that it is never open to others, not
// even for a moment. The system's result.
BOOL PCreateProtectedFolder(const std::string& path, PFolderReaders readers);

// Gives the existing folder `path` that descriptor (what it holds inherits it) and makes the
// administrators its owner, so that the user who made it cannot open it again. The system's
// error code; ERROR_SUCCESS when done.
DWORD PProtectFolder(const std::string& path, PFolderReaders readers);
