#pragma once

#include <windows.h>

#include "installer/core/installparameters.h"
#include "installer/core/windowsversion.h"
#include "plib/pstring.h"

// Questions asked of Windows before and while the wizard is built. None of them throws.

// The running system's version answers (GetVersionExA with the 148-byte record, GetVersion).
const VersionSource& SystemVersion();

// Whether the process runs under Wine on a Linux-like system: a plausible version, at least one
// sign of Wine (in the Windows directory, the registry or ntdll's exports), and `unixRoot` +
// "/etc", "/bin" and
// "/usr" all directories. The wrapper layer keeps its wide forms: Wine's are complete, and its
// narrow ones would turn a name outside the code page into question marks. The
// root is "" for the program (the current drive, which Wine maps to the Unix root); tests point
// it elsewhere. Errors inside a stage are logged ("Error in detect Linux", "... 2", "... 3").
bool DetectWine(const VersionSource& version, const PString& unixRoot);

// The process-wide Linux flag: DetectLinux runs the probe on the system and keeps its answer.
bool DetectLinux();
bool IsLinux() noexcept;

// Whether `token` lists the built-in Administrators group (S-1-5-32-544) among its groups,
// whatever the group's attributes (a deny-only entry of a filtered token counts). False on any
// failure.
bool TokenListsAdministrators(HANDLE token) noexcept;
// The same for the current process's token.
bool IsAdministrator() noexcept;

// Whether this is 64-bit Windows: IsWow64Process, looked up at run time, says so for this
// process. False where it is missing or fails.
bool IsWindows64() noexcept;

// The machine facts an installation carries, gathered once.
struct SystemFacts {
    bool legacyWindows = false;  // Windows 9x or a major version below 5
    bool administrator = false;
    bool vistaOrLater = false;
    bool windows64 = false;
};

SystemFacts GatherSystemFacts(const VersionSource& version);
// Copies the facts into the installation record's machine-fact fields.
void ApplySystemFacts(const SystemFacts& facts, InstallParameters& params);
