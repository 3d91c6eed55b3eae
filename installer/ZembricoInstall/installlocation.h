#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "installer/core/installparameters.h"
#include "plib/pstring.h"

// Where the client is installed and whether it fits there. Texts are in the program's mixed
// encoding (Windows-1252, or UTF-8 after a 0x10 marker).

// The string value `name` of HKEY_LOCAL_MACHINE `keyPath`, opened for reading only; nothing
// when the value is missing or not a string, "" when it is empty.
std::optional<std::string> ReadMachineString(const std::string& keyPath, const char* name);
// The shell folder `csidl`; empty when Windows cannot resolve it.
std::string ShellFolder(int csidl);

// The default install folder: the machine's programs folder ("C:\Program Files" when the
// registry does not name one), "\" and `params.workFolderName`.
std::string ComputeDefaultFolder(const InstallParameters& params);

// Fills the shell folders of `params` (the common ones only when `params.hasAdminRights`, the
// local application data folder only when `params.useLocalAppData`; a folder Windows cannot
// resolve stays empty). Only the shortcuts need them: the wizard asks when the install starts.
void ComputeShellFolders(InstallParameters& params);

// The "InstallLocation" of the uninstall key named `displayName` under HKEY_LOCAL_MACHINE;
// nothing when the value cannot be read or is empty (the default folder is offered then).
std::optional<std::string> ReadPreviousInstallLocation(const std::string& displayName);

// The archive's bytes on a drive with clusters of the given size.
using ArchiveSizeAt = std::function<std::uint32_t(std::uint32_t clusterSize)>;
// The program's own payload (resource "ZB"/130). Throws PAssert when the resource is missing.
std::uint32_t PayloadArchiveSizeAt(std::uint32_t clusterSize);

// Measures the drive of `path` ("X:" at its start): `available` gets the bytes the caller may
// use there, `required` the bytes the installation needs (ShownRequiredSpace). Returns whether
// the drive could be measured. The last measured drive letter is cached for the process (exact
// letter, so "c" and "C" are measured apart); a path without a drive letter gives 0 for both
// and the cached success flag. `archiveSize` is asked only when a drive is measured.
bool SpaceForPath(const std::string& path, std::uint64_t& available, std::uint64_t& required,
                  const ArchiveSizeAt& archiveSize = PayloadArchiveSizeAt);
// Forgets the cached drive, so that the next call measures again (tests).
void ForgetSpaceCache();

// What the wizard shows for an install folder: both amounts, and the texts of the two space
// labels in `language` (both empty when the drive could not be measured; then `available` is
// 0 and `required` 5 MiB, so the install button stays disabled).
struct SpaceLabels {
    bool measured = false;
    std::uint64_t required = 0;
    std::uint64_t available = 0;
    PString requiredText;   // TXTINS_Space_requiredX_N0_N1
    PString availableText;  // TXTINS_Space_availableX_N0_N1
    bool sufficient() const { return available >= required; }
};
SpaceLabels ComputeSpaceLabels(const std::string& path, int language,
                               const ArchiveSizeAt& archiveSize = PayloadArchiveSizeAt);

// Shows the folder browser owned by `owner`, starting at `startFolder`, with the texts of
// `language`. OK is enabled only for a folder on a fixed drive whose path is longer than 3
// characters. Returns the install folder for the picked folder (`params.brand` and
// `params.name` rule of InstallFolderForPick), or nothing when the user cancelled.
std::optional<std::string> BrowseForInstallFolder(HWND owner, const std::string& startFolder,
                                                  const InstallParameters& params, int language);

// The folder browser's rule for its OK button: `path` is longer than 3 characters and its drive
// (its first character followed by ":") is a fixed drive.
bool FolderBrowserMayAccept(const wchar_t* path);
