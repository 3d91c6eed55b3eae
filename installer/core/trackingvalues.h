#pragma once

#include <optional>
#include <string>

// The tracking tag can be rewritten by anyone who handles a download without breaking the
// installer's signature, so its values are checked before any of them is used. Each key whose
// value goes somewhere it could act has a rule; an empty value always passes (it changes
// nothing downstream):
//  - SITEID (build-options section, app.ini): ASCII letters, digits, "_" and "-", at most 32.
//  - OID (uninstall key name, uninstaller and launcher arguments, tinfo.dat): ASCII letters,
//    digits, ".", "_" and "-", at most 64.
//  - ONAME (Base64 of UTF-8; the window, the uninstall entry, and, made a plain file name by
//    AsPlainFileName, shortcut and program group names): only Base64 characters (either
//    alphabet, "=" padding), decoding to valid UTF-8 of 1 to 64 characters, none above U+FFFF,
//    no control, surrogate or direction-changing character, no leading or trailing blank. A
//    real operator's name ("Royal Casino A/S", "Acme Ltd.") passes as it is.
//  - GID (analytics form field, tinfo.dat): ASCII letters, digits, ".", "_", "~", "-" and "|",
//    at most 128.
//  - THM and TSL (tinfo.dat): printable ASCII, at most 64.
//  - Every other line (tinfo.dat): no control character.

// `data` without the lines whose values break their key's rule. Each refused line is logged as
// "Tracking data: value of KEY refused" (KEY the rule's key, or "another key"), never with its
// bytes. Kept lines stay in order, each followed by LF; nothing stays nothing.
std::optional<std::string> CheckTrackingData(const std::optional<std::string>& data);
