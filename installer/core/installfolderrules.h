#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where an installation may make its folder. The programs run elevated and trust what the
// folder holds, and the uninstaller removes it again: a drive root, a folder of the system or a
// folder that holds a user's own files must never be it. Texts are in the mixed encoding.

// Folders an installation must not take, as the system names them.
struct ReservedFolders {
    std::vector<std::string> withEverythingBelow;  // the Windows folder
    std::vector<std::string> themselves;    // program-files roots, ProgramData, shell folders
    std::vector<std::string> withChildren;  // the profiles folder and each user's profile in it
};

// Whether two paths, as UTF-16 units, name the same folder on the system (Windows ignores case).
using SameFolderName = bool (*)(std::u16string_view, std::u16string_view);

// Whether `folder` may be an install folder: a full path, "X:\" or "\\server\share\" followed by
// at least one name, with at most one backslash at its end; every name plain
// (IsPlainFileName: not "." or "..", no trailing dot or blank, no character Windows would read
// otherwise, no device), so that the text names exactly the folder it shows; and neither a
// reserved folder nor below the Windows folder.
bool IsUsableInstallFolder(std::string_view folder, const ReservedFolders& reserved,
                           SameFolderName same);

// Whether `folder` lies below one of `roots` (not one of them itself).
bool LiesBelowAny(std::string_view folder, const std::vector<std::string>& roots,
                  SameFolderName same);
