#pragma once

#include <windows.h>

#include <cstdint>

#include "plib/pstring.h"
#include "plib/winseam/unique.h"

class PStringEncoding;

// Registry string values over the wide-or-narrow layer. The functions returning LONG give the
// system's error code of the first failing call, ERROR_SUCCESS (0) otherwise.

// Appends the value `name` (null or "" is the key's default value) of `key` to `out` when it is
// a REG_SZ or REG_EXPAND_SZ (not expanded), read through `encoding`. An absent or empty value,
// or one of another type, leaves `out` unchanged and gives ERROR_SUCCESS.
LONG PRegReadString(HKEY key, const char* name, PString& out, const PStringEncoding* encoding);

// The type and size in bytes of the value `name` of `key` (in the narrow form's units when the
// call is narrow), without reading it: tells a missing value (ERROR_FILE_NOT_FOUND) from an
// empty one.
LONG PRegValueSize(HKEY key, const char* name, DWORD& type, DWORD& size,
                   const PStringEncoding* encoding);

// Writes `text` as a REG_SZ value `name` of `key`, with its terminating zero. Null `name` or
// `text` writes nothing and gives ERROR_SUCCESS.
LONG PRegWriteString(HKEY key, const char* name, const char* text, const PStringEncoding* encoding);

// Writes `value` as a REG_DWORD value `name` of `key`.
LONG PRegWriteDword(HKEY key, const char* name, std::uint32_t value,
                    const PStringEncoding* encoding);

// RegOpenKeyExW and RegCreateKeyExW, the path read through the process-wide mixed encoding.
// `key` receives the opened key (and is emptied on failure).
LONG PRegOpenKey(HKEY root, const PString& path, DWORD options, REGSAM access, UniqueRegKey& key);
LONG PRegCreateKey(HKEY root, const PString& path, DWORD options, REGSAM access, UniqueRegKey& key);

// Opens `path` below `root` with full access, or creates it for writing; where even that fails,
// makes the parent path the same way first, so that a missing chain of keys is created from the
// top down. Empty when the key cannot be had.
UniqueRegKey POpenOrCreateKeyPath(HKEY root, const PString& path);

// Opens or creates `path` and writes the REG_SZ value there (mixed encoding). On any failure
// sets `errorFlag` to 1 and gives false; leaves the flag alone on success.
bool PRegWriteStringUnderPath(HKEY root, const PString& path, const char* name, const char* text,
                              int& errorFlag);

// Reads the string value `name` of HKEY_LOCAL_MACHINE\`path` (query access) and appends it to
// `out` through the mixed encoding; true on success. The second form takes the root key and
// opens with read access.
bool PRegReadStringHklm(const PString& path, const char* name, PString& out);
bool PRegReadStringUnder(HKEY root, const PString& path, const char* name, PString& out);
