// Stands in for the client's launcher in the end-to-end payload: records that it was started,
// and with which command line, in "launched.txt" beside itself, then ends.
#include <windows.h>

#include <string>

int main() {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return 1;
    std::wstring record(self);
    record.erase(record.rfind(L'\\') + 1);
    record += L"launched.txt";
    const HANDLE file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const wchar_t* commandLine = GetCommandLineW();
    char utf8[4096] = {};
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, utf8, sizeof utf8, nullptr, nullptr);
    DWORD written = 0;
    const bool ok = bytes > 1 && WriteFile(file, utf8, bytes - 1, &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
