#include "installer/ZembricoInstall/systemprobes.h"

#include <sys/stat.h>

#include <atomic>
#include <memory>

#include "installer/core/earlylogqueue.h"
#include "plib/win/pregistry.h"
#include "plib/winseam/plibrary.h"
#include "plib/winseam/unique.h"

namespace {

class SystemVersionSource final : public VersionSource {
  public:
    std::optional<WindowsVersion> versionEx() const override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        // Deprecated for its manifest dependence, which is exactly what the checks want.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(&info)) {
            return std::nullopt;
        }
#pragma GCC diagnostic pop
        return WindowsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                              info.dwPlatformId};
    }
    std::uint32_t versionWord() const override {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return GetVersion();
#pragma GCC diagnostic pop
    }
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

std::atomic<bool> linuxFlag{false};

bool HasMode(const PString& path, unsigned mode) {
    struct _stat info {};
    return _stat(path.c_str(), &info) == 0 && (info.st_mode & mode) != 0;
}

bool IsRegularFile(const PString& path) {
    return HasMode(path, _S_IFREG);
}

bool IsDirectory(const PString& path) {
    return HasMode(path, _S_IFDIR);
}

bool WineFontsLocaleReadable() {
    // A locale name is short: a value of more than this many bytes is not Wine's.
    constexpr DWORD kLocaleBytes = 100;
    UniqueRegKey key;
    DWORD type = 0;
    DWORD size = 0;
    return PRegOpenKey(HKEY_CURRENT_USER, PString("SOFTWARE\\Wine\\Fonts"), 0, KEY_READ, key) ==
               ERROR_SUCCESS &&
           PRegValueSize(key.get(), "Locale", type, size, nullptr) == ERROR_SUCCESS && size >= 1 &&
           size <= kLocaleBytes;
}

// Current Wine keeps none of the classic files in the Windows directory and no longer writes the
// font locale, but its ntdll has always exported its version query.
bool NtdllIsWine() {
    const PLibrary ntdll("ntdll", PLibrarySearch::kSystemDirectory);
    return ntdll.function<void*>("wine_get_version") != nullptr;
}

// How many signs of Wine are present; -1 when the Windows directory is unknown.
int CountWineSigns() {
    char directory[1024];
    const UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) {
        return -1;
    }
    const PString windows(directory);
    int signs = (WineFontsLocaleReadable() ? 1 : 0) + (NtdllIsWine() ? 1 : 0);
    for (const char* file : {"\\winebrowser.exe", "\\inf\\wine.inf", "\\System\\cxnative.exe"}) {
        PString path(windows);
        path.append(file);
        if (IsRegularFile(path)) {
            ++signs;
        }
    }
    return signs;
}

bool UnixFoldersVisible(const PString& unixRoot) {
    for (const char* folder : {"/etc", "/bin", "/usr"}) {
        PString path(unixRoot);
        path.append(folder);
        if (!IsDirectory(path)) {
            return false;
        }
    }
    return true;
}

struct GlobalFreer {
    void operator()(void* memory) const noexcept { GlobalFree(memory); }
};
struct SidFreer {
    void operator()(void* sid) const noexcept { FreeSid(sid); }
};

}  // namespace

const VersionSource& SystemVersion() {
    static const SystemVersionSource source;
    return source;
}

bool DetectWine(const VersionSource& version, const PString& unixRoot) {
    try {
        const std::optional<WindowsVersion> answer = version.versionEx();
        if (!answer || answer->major < 4) {
            return false;
        }
    } catch (...) {
        EarlyLog("Error in detect Linux");
    }
    int signs = 0;
    try {
        signs = CountWineSigns();
        if (signs < 0) {
            return false;
        }
    } catch (...) {
        EarlyLog("Error in detect Linux 2");
    }
    if (signs <= 0) {
        return false;
    }
    try {
        if (!UnixFoldersVisible(unixRoot)) {
            return false;
        }
    } catch (...) {
        EarlyLog("Error in detect Linux 3");
    }
    return true;
}

bool DetectLinux() {
    const bool found = DetectWine(SystemVersion(), PString(""));
    linuxFlag.store(found);
    return found;
}

bool IsLinux() noexcept {
    return linuxFlag.load();
}

bool TokenListsAdministrators(HANDLE token) noexcept {
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenGroups, nullptr, 0, &size) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return false;
    }
    const std::unique_ptr<void, GlobalFreer> buffer(GlobalAlloc(GMEM_ZEROINIT, size));
    if (!buffer || !GetTokenInformation(token, TokenGroups, buffer.get(), size, &size)) {
        return false;
    }
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID rawSid = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &rawSid)) {
        return false;
    }
    const std::unique_ptr<void, SidFreer> administrators(rawSid);
    const auto* groups = static_cast<const TOKEN_GROUPS*>(buffer.get());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        if (EqualSid(groups->Groups[i].Sid, administrators.get())) {
            return true;
        }
    }
    return false;
}

bool IsAdministrator() noexcept {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return false;
    }
    const UniqueHandle token(raw);
    return TokenListsAdministrators(token.get());
}

bool IsWindows64() noexcept {
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const PLibrary kernel("kernel32", PLibrarySearch::kSystemDirectory);
    const auto isWow64 = kernel.function<IsWow64Fn>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

SystemFacts GatherSystemFacts(const VersionSource& version) {
    SystemFacts facts;
    facts.legacyWindows = IsLegacyWindows(version.versionWord());
    facts.administrator = IsAdministrator();
    facts.vistaOrLater = IsVistaOrLater(version.versionEx());
    facts.windows64 = IsWindows64();
    return facts;
}

void ApplySystemFacts(const SystemFacts& facts, InstallParameters& params) {
    params.oldWindows = facts.legacyWindows;
    params.hasAdminRights = facts.administrator;
    params.useLocalAppData = facts.vistaOrLater;
    params.isWow64 = facts.windows64;
}
