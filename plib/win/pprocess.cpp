#include "plib/win/pprocess.h"

#include <cstdint>
#include <vector>

#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr DWORD kDetachedProcess = 0x00000008;
static_assert(sizeof(void*) != 4 || (sizeof(STARTUPINFOA) == 68 && sizeof(STARTUPINFOW) == 68));

// Asks Windows to load the started program's imports from the system folder first. Windows
// before 10 does not know the policy; the caller then starts without it.
class SystemImportsFirst {
  public:
    SystemImportsFirst() {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_MITIGATION_POLICY, &policy_,
                                       sizeof policy_, nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list_);
            list_ = nullptr;
        }
    }
    ~SystemImportsFirst() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    SystemImportsFirst(const SystemImportsFirst&) = delete;
    SystemImportsFirst& operator=(const SystemImportsFirst&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST list() const noexcept { return list_; }

  private:
    // PROCESS_CREATION_MITIGATION_POLICY_IMAGE_LOAD_PREFER_SYSTEM32_ALWAYS_ON, which the headers
    // offer only to programs built for Windows 10.
    DWORD64 policy_ = DWORD64{1} << 60;
    std::vector<std::uint8_t> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

BOOL PCreateProcess(const PString* application, const PString* commandLine,
                    const PString* currentDirectory, const PStringEncoding* encoding,
                    PROCESS_INFORMATION& info) {
    const bool wide = PWideFor(encoding);
    PSysText app(application, encoding, wide);
    PSysText line(commandLine, encoding, wide);
    PSysText directory(currentDirectory, encoding, wide);
    info = PROCESS_INFORMATION{};
    if (wide) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return CreateProcessW(app.w(), line.w(), nullptr, nullptr, /*bInheritHandles=*/FALSE,
                              kDetachedProcess, /*lpEnvironment=*/nullptr, directory.w(), &startup,
                              &info);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(app.a(), line.a(), nullptr, nullptr, /*bInheritHandles=*/FALSE,
                          kDetachedProcess, /*lpEnvironment=*/nullptr, directory.a(), &startup,
                          &info);
}

BOOL PCreateProcessFromSystemFolder(const std::string& application, const std::string& commandLine,
                                    PROCESS_INFORMATION& info) {
    info = PROCESS_INFORMATION{};
    const std::wstring system = PToWide(PString(PSystemFolder().c_str()));
    const std::wstring app = PToWide(PString(application.c_str()));
    std::wstring line = PToWide(PString(commandLine.c_str()));
    const SystemImportsFirst policy;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = policy.list();
    const DWORD flags = CREATE_NO_WINDOW | (policy.list() ? EXTENDED_STARTUPINFO_PRESENT : 0);
    if (CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, /*bInheritHandles=*/FALSE, flags,
                       /*lpEnvironment=*/nullptr, system.empty() ? nullptr : system.c_str(),
                       &startup.StartupInfo, &info))
        return TRUE;
    if (!policy.list() || GetLastError() != ERROR_INVALID_PARAMETER) return FALSE;
    startup.StartupInfo.cb = sizeof startup.StartupInfo;
    line = PToWide(PString(commandLine.c_str()));
    return CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, /*bInheritHandles=*/FALSE,
                          CREATE_NO_WINDOW, /*lpEnvironment=*/nullptr,
                          system.empty() ? nullptr : system.c_str(), &startup.StartupInfo, &info);
}

std::string PSystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::string(PFromWide(folder, length).view());
}
