#pragma once

#include "plib/pstring.h"
#include "plib/putf16.h"

// Text in the active code page, for the narrow system calls. Both convert whole strings in one
// system call each and throw PSystemError naming the call when it fails.

// Replaces `out` with `text` (active code page) in UTF-16, zero-terminated.
void PAnsiToUtf16(PUtf16Block& out, const PString& text);

// Replaces `out` with the zero-terminated UTF-16 `text` in the active code page; characters the
// code page lacks become its default character.
void PUtf16ToAnsi(PString& out, const PWChar* text);
