#pragma once

#include <windows.h>

#include "plib/pstring.h"

class PStringEncoding;

// Starts a process detached from any console, inheriting no handles and the caller's
// environment, with a zeroed start-up record. Any of the three texts may be null (absent).
// Returns CreateProcess's result and fills `info`; the caller owns the two handles in it.
BOOL PCreateProcess(const PString* application, const PString* commandLine,
                    const PString* currentDirectory, const PStringEncoding* encoding,
                    PROCESS_INFORMATION& info);
