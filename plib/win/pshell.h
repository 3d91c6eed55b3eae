#pragma once

#include <windows.h>

// The shell's header needs the base declarations first.
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "plib/pstring.h"
#include "plib/win/plinkfree.h"

class PStringEncoding;

// The shell's execute call, shortcuts and the folder dialog, over the wide-or-narrow layer.
// Texts that may be absent are pointers (null = absent).

// ShellExecuteEx (found at run time in shell32, loaded from the system directory) with no mask
// bits; the instance value it reports on success, else the system's last error code (or, when
// the system left none, the call's own error value). Where the
// extended call is missing, ShellExecute's result; 0 when both are missing.
std::intptr_t PShellExecute(HWND owner, const PString* verb, const PString& file,
                            const PString* parameters, const PString* directory,
                            const PStringEncoding* encoding, int showCommand);

// Opens a document or address with the verb "open", shown normally.
std::intptr_t PShellOpen(const PString& file, const PStringEncoding* encoding);

// Writes a shell link at `shortcutFile`, below `folder`, to `targetPath` with its working
// directory, the arguments when given and the icon when `iconFile` is given and not empty. The
// shell makes the link's bytes; the file is written as a new file that follows no link
// (PLinkFreeFolder::createFile), replacing what stood there. COM must be initialised on the
// calling thread. Returns the system's result code; a link on the way gives
// HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE).
HRESULT PCreateShortcut(const PStringEncoding* encoding, const PString& targetPath,
                        const PLinkFreeFolder& folder, const std::string& shortcutFile,
                        const PString& workingDirectory, const PString* arguments,
                        const PString* iconFile, int iconIndex);

// Shows the system's folder dialog (file-system folders only, new style, rooted at the desktop)
// owned by `owner`. When a folder is chosen its path is appended to `out` through `encoding`
// and the result is true. `callback` and `callbackData` go to the dialog unchanged; a callback
// preselects a folder with PBrowseSetSelection on BFFM_INITIALIZED.
bool PBrowseForFolder(HWND owner, const PString& title, BFFCALLBACK callback, LPARAM callbackData,
                      PString& out, const PStringEncoding* encoding);

// Appends the file-system path of the shell item `item` to `out` through `encoding`; false (and
// `out` unchanged) when the item has none.
bool PItemPath(PCIDLIST_ABSOLUTE item, PString& out, const PStringEncoding* encoding);

// The path of the special folder `csidl` (CSIDL_DESKTOP ...) read through `encoding`; empty
// when the system has none for this user.
PString PShellFolderPath(int csidl, const PStringEncoding* encoding);

// Asks an open folder dialog to select `path`; an empty path does nothing.
void PBrowseSetSelection(HWND dialog, const PString& path, const PStringEncoding* encoding);
