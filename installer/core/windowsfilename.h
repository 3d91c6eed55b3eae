#pragma once

#include <string>
#include <string_view>

// How Windows will read a name built from the program's texts. Texts are in the mixed encoding;
// a code point above U+FFFF reaches Windows as its low 16 bits, so the checks look at those.

// True when `name` names exactly one file or folder inside the folder it is appended to: not
// empty; no control character and none of < > : " / \ | ? * (no separator, drive letter or
// stream); no leading blank; no trailing blank or dot (so not "." or ".."); and not a device
// name such as CON, NUL, COM1 or LPT1, with or without an extension.
bool IsPlainFileName(std::string_view name);
// The same for the UTF-16 units Windows receives.
bool IsPlainFileName(std::u16string_view units);

// True when `path` is `folder`, a backslash and a plain file name (IsPlainFileName), so that
// whatever is made at `path` lies directly inside `folder`. An empty folder contains nothing.
bool LiesDirectlyIn(std::string_view path, std::string_view folder);

// `name` (mixed encoding) made fit to be one file or folder name, for a text that is shown as
// it is but also names files (the full display name: shortcuts, the program group): each
// character Windows refuses in a name (controls and < > : " / \ | ? *, judged as IsPlainFileName
// judges them) becomes "_", and blanks at the start and blanks and dots at the end are dropped.
// A name with nothing to change comes back as it was. The installer and the uninstaller must both
// name files this way, so that the uninstaller finds what the installer made.
std::string AsPlainFileName(std::string_view name);
