#pragma once

#include <string>
#include <string_view>
#include <vector>

// What removing an installation deletes, worked out from what the installation recorded, so
// that the uninstaller only carries it out.

// The list of the payload's files that earlier builds put into the install folder; it is an
// installation's own file to remove, never a list to read.
inline constexpr char kPayloadListName[] = "payload.lst";

// The relative paths of a payload list, one a line ("\" between folders, UTF-8): the build
// writes it into the uninstaller (resource kPayloadListResource). The paths come back in the
// program's text encoding; empty lines and paths that could leave the install folder
// (IsSafeRelativePath) are skipped; CR LF and LF both end a line.
std::vector<std::string> ParsePayloadList(std::string_view text);

// The values of the uninstall key that say what the installation made.
struct UninstallRecord {
    std::string installFolder;       // "InstallLocation"
    std::string fullDisplayName;     // "DisplayName": names every shortcut (AsPlainFileName)
    std::string groupFolder;         // "CSMPGroup", else "SMPGroup"
    std::vector<std::string> links;  // "DTLink", "CSMLink", "SMLink", "QLLink" that are present
};

struct UninstallPlan {
    std::vector<std::string> files;    // deleted in this order; a missing one is no failure
    std::vector<std::string> folders;  // then removed in this order, each only when empty
};

// The shortcuts (recorded links, the group's two, the install folder's uninstall shortcut),
// then the payload's files, tinfo.dat, app.ini, Install.log and an earlier build's
// payload.lst; then the program group, the
// payload's folders deepest first, and the install folder. Recorded links that do not name a
// ".lnk" file are left alone, and so is any file called user.ini or user.ini.bak: the user's
// settings stay. Without an install folder only the shortcuts and the group are planned.
UninstallPlan PlanUninstall(const UninstallRecord& record,
                            const std::vector<std::string>& payloadFiles);
