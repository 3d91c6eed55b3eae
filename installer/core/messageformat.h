#pragma once

#include <string_view>

#include "plib/pstring.h"

// Appends `pattern` to `out` with its placeholders filled from `args[0, argCount)` (at most 10):
// "%n" (a digit) appends argument n, "%Ln" or "%ln" appends it in lower case, and either
// appends nothing when there is no argument n; "%%" appends "%"; "%" and any other character
// are both dropped (so is "%L" before a character other than a digit, which is then read as
// usual), and a "%" or "%L" at the very end ends the text there. Every other character
// is copied.
// When neither `out`, `pattern` nor an argument is marked UTF-8 (first byte 0x10), the work is
// byte by byte in Windows-1252. Otherwise it is by code point: each text is read by its own
// marker and every code point is appended through the mixed encoding, so that `out` turns into
// marked UTF-8 at the first character outside Windows-1252.
void FormatMessageText(PString& out, std::string_view pattern, const PString* const* args,
                       int argCount);
