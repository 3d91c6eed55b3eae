#pragma once

#include <windows.h>

#include <string>

// Asks the desktop shell of the signed-in user (the process that draws the desktop) to open
// `file` with `parameters` in `directory` (both may be empty), as a double click there would:
// what it starts runs with the shell's rights, not with those of an elevated caller. COM must
// be initialised on the calling thread. S_OK when the shell took the request; the failing
// call's result when there is no desktop shell to ask or it refused. Like a click, it tells
// nothing of the started program.
HRESULT PDesktopShellExecute(const std::wstring& file, const std::wstring& parameters,
                             const std::wstring& directory);
