#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "installer/core/installfolderrules.h"

// Whether a folder may hold the installation, and making it so that only administrators can
// change what the elevated programs later trust there. Texts are in the program's mixed
// encoding.

// Whether two paths, as UTF-16 units, are the same on this system (case ignored as Windows
// ignores it).
bool SameFolderNameOnSystem(std::u16string_view a, std::u16string_view b);

// `folder` as the system reaches it: its longest part that exists where every link on the way
// leads (PFinalPath), the rest as written.
std::string ResolvedFolder(const std::string& folder);

// The Windows folder, the program-files roots, ProgramData, the profiles folder and the shell
// folders of this user and of all users, each as written and where the system reaches it.
ReservedFolders SystemReservedFolders();

// The program-files roots of both views, which only administrators may change, each as written
// and where the system reaches it.
std::vector<std::string> ProgramFilesRoots();

// Whether `folder` may be the install folder (IsUsableInstallFolder), judged on the text and
// on where the system resolves it.
bool InstallFolderIsUsable(const std::string& folder);

// Makes `folder` and every missing folder above it, as CreateAllDirectories does (false, with
// the reason in GetLastError, when one cannot be made). Unless it lies in a program-files root,
// the install folder itself is made protected (PCreateProtectedFolder, users may read), or
// protected now when it is there already. `protection` gets the log's line about that.
bool MakeInstallFolder(const std::string& folder, std::string& protection);
