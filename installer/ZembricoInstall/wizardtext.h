#pragma once

#include "installer/core/messagekeys.h"
#include "plib/pstring.h"

// The text of `key` in the current language, with %0 and %1 filled in.
PString WizardText(MessageKey key);
PString WizardText(MessageKey key, const PString& arg0);
PString WizardText(MessageKey key, const PString& arg0, const PString& arg1);

// Appends `text` to `out`, both in the program's mixed encoding, character by character (so a
// marked UTF-8 text and a single-byte one join correctly).
void AppendText(PString& out, const PString& text);
