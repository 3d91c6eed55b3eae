#pragma once

#include <string_view>

// How Windows will read a name built from the program's texts. Texts are in the mixed encoding;
// a code point above U+FFFF reaches Windows as its low 16 bits, so the checks look at those.

// True when `name` names exactly one file or folder inside the folder it is appended to: not
// empty; no control character and none of < > : " / \ | ? * (no separator, drive letter or
// stream); no leading blank; no trailing blank or dot (so not "." or ".."); and not a device
// name such as CON, NUL, COM1 or LPT1, with or without an extension.
bool IsPlainFileName(std::string_view name);

// True when `path` is `folder`, a backslash and a plain file name (IsPlainFileName), so that
// whatever is made at `path` lies directly inside `folder`. An empty folder contains nothing.
bool LiesDirectlyIn(std::string_view path, std::string_view folder);
