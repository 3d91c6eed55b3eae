#pragma once

#include <windows.h>

#include "plib/pstring.h"

// The setup program from start to end: prepares the process, loads the texts, checks the
// Windows version, shows the wizard and runs its message loop. Returns the exit code (the value
// of the first quit message, or the codes of installcodes.h for the early ends).
int RunSetup(HINSTANCE instance, const char* commandLine);

// The box for a start-up failure before the wizard exists: no owner, one OK button.
void ShowStartupError(HINSTANCE instance, const PString& caption, const PString& text);
