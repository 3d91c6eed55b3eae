#pragma once

#include <cstddef>

#include "plib/pblock.h"
#include "plib/pstring.h"

// Appends the bytes that the Base64 text [text, text + length) decodes to onto `out`. Both
// alphabets are accepted ('+' and '-' are 62, '/' and '_' are 63); other characters are
// skipped. The first '=' ends the data: the incomplete group is written (one byte after two
// characters, two after three), and nothing after the padding is decoded. Without padding an
// incomplete last group is dropped. A zero byte inside `length` is a PAssert failure.
void PBase64Decode(PBlock& out, const char* text, std::size_t length);

// Decodes Base64 text holding UTF-8 and appends its code points to `out` through the
// process-wide mixed encoding. Throws PI18NError "UTF-8 format error" when the decoded bytes
// are not UTF-8 (a sequence cut off at the end included).
void PBase64DecodeUtf8(PString& out, const char* text, std::size_t length);
