#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The few system calls the install engine makes, with its texts in the program's mixed
// encoding turned into UTF-16 at this boundary.

std::wstring Wide(std::string_view text);

// True when `path` names a directory, false when nothing has that name. Throws PInternalError
// "same name object but not a directory" when a file has it.
bool DirectoryExists(const std::string& path);
// Creates one directory: true when created, false when it existed. Any other failure throws
// PInternalError "Unable to create directory: " + the C library's error number.
bool MakeDirectory(const std::string& path);
bool FileExists(const std::string& path);
bool DeleteFileAt(const std::string& path);

// Creates `CreateAllDirectories`' missing chain of keys below `root` from the top down and
// writes the REG_SZ value; false on any failure.
bool WriteRegistryString(HKEY root, const std::string& keyPath, const char* name,
                         const std::string& value);
// Opens (creating when needed) `keyPath` for writing; null on failure.
HKEY OpenOrCreateKey(HKEY root, const std::string& keyPath);

// Makes a shell link at `linkFile` to `target`; COM must be initialised on the thread. Returns
// the system's result.
HRESULT CreateShortcut(const std::string& target, const std::string& linkFile,
                       const std::string& workingFolder, const std::string& arguments,
                       const std::string& iconFile, int iconIndex);

// The system's text of `code` in the form of PSystemError's messages.
std::string SystemErrorText(DWORD code);
