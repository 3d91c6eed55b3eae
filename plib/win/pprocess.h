#pragma once

#include <windows.h>

#include <string>

#include "plib/pstring.h"

class PStringEncoding;

// Starts a process detached from any console, inheriting no handles and the caller's
// environment, with a zeroed start-up record. Any of the three texts may be null (absent).
// Returns CreateProcess's result and fills `info`; the caller owns the two handles in it.
BOOL PCreateProcess(const PString* application, const PString* commandLine,
                    const PString* currentDirectory, const PStringEncoding* encoding,
                    PROCESS_INFORMATION& info);

// Starts a program that runs with this process's rights from a place of this program's choosing:
// `application` (program text, a full path) with `commandLine`, no handles inherited, no
// console, the system folder as its current folder, and, where Windows offers it (Windows 10
// and later), the DLLs it imports taken from the system folder before any beside it. Returns
// CreateProcessW's result and fills `info`; the caller owns the two handles in it.
BOOL PCreateProcessFromSystemFolder(const std::string& application, const std::string& commandLine,
                                    PROCESS_INFORMATION& info);

// The system folder (System32 as this process sees it), without a trailing backslash; empty
// when the system cannot give it.
std::string PSystemFolder();
