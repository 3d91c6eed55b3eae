// A stand-in for a legacy edition's uninstaller in the Windows tests: writes the command line it
// was started with, its own path and its current folder to the file that the environment
// variable ZB_FAKE_UNINSTALLER_REPORT names (else "<its folder>\<its name>.ran"), and ends.
#include <windows.h>

#include <string>

int main() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    const std::wstring self(path, length);
    wchar_t named[MAX_PATH];
    const DWORD namedLength =
        GetEnvironmentVariableW(L"ZB_FAKE_UNINSTALLER_REPORT", named, MAX_PATH);
    const std::wstring report =
        namedLength > 0 && namedLength < MAX_PATH ? std::wstring(named) : self + L".ran";
    wchar_t current[MAX_PATH];
    const DWORD currentLength = GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + self + L"\n" +
                              std::wstring(current, currentLength) + L"\n";
    const HANDLE file =
        CreateFileW(report.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    return 0;
}
