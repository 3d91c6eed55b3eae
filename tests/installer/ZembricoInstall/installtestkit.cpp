#include "installer/ZembricoInstall/installtestkit.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "installer/core/i18nlinereader.h"
#include "installer/core/installcodes.h"
#include "installer/core/messagetable.h"
#include "plib/pstring.h"

namespace fs = std::filesystem;

bool WaitUntil(const std::function<bool()>& condition) {
    const ULONGLONG giveUp = GetTickCount64() + kWouldHangMs;
    while (!condition()) {
        if (GetTickCount64() > giveUp) return false;
        Sleep(10);
    }
    return true;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string LoadEnglishMessages() {
    const std::string source =
        ReadFile(fs::path(ZB_TEST_DATA_DIR) / ".." / ".." / "resources" / "messages" / "en.txt");
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(source.data()), source.size());
    std::string error;
    if (i18nLoadDynamicTable(TheMessageTable(), reader, error) <= 0 && error.empty())
        error = "no message loaded";
    return error;
}

ProgressWindow::ProgressWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZbProgressCollector";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, windowClass.hInstance, nullptr);
}

ProgressWindow::~ProgressWindow() {
    DestroyWindow(window_);
}

std::vector<int> ProgressWindow::waitForEnd(std::string* text) {
    std::vector<int> codes;
    for (;;) {
        MSG message;
        if (!PeekMessageW(&message, window_, kWmInstallProgress, kWmInstallProgress, PM_REMOVE)) {
            // Returns when a message is posted to this thread; a worker that never ends posts
            // nothing, and the code list then lacks its final code.
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, kWouldHangMs, QS_POSTMESSAGE) ==
                WAIT_TIMEOUT)
                break;
            continue;
        }
        const int code = static_cast<int>(static_cast<INT_PTR>(message.wParam));
        codes.push_back(code);
        if (code == kInstallFailedWithText) {
            PString* owned = reinterpret_cast<PString*>(message.lParam);
            if (text) *text = std::string(owned->view());
            delete owned;
        }
        if (code == kInstallComplete || code < 0) break;
    }
    return codes;
}

std::vector<int> ProgressWindow::pending() {
    std::vector<int> codes;
    MSG message;
    while (PeekMessageW(&message, window_, kWmInstallProgress, kWmInstallProgress, PM_REMOVE))
        codes.push_back(static_cast<int>(static_cast<INT_PTR>(message.wParam)));
    return codes;
}

Shortcut ReadShortcut(const fs::path& file) {
    Shortcut result;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* persist = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (persist && SUCCEEDED(persist->Load(file.wstring().c_str(), STGM_READ))) {
        wchar_t text[MAX_PATH * 2];
        const auto narrow = [](const wchar_t* wide) { return fs::path(wide).string(); };
        if (SUCCEEDED(link->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH)))
            result.target = narrow(text);
        if (SUCCEEDED(link->GetArguments(text, MAX_PATH * 2))) result.arguments = narrow(text);
        if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH * 2))) result.folder = narrow(text);
        if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH * 2, &result.iconIndex)))
            result.icon = narrow(text);
    }
    if (persist) persist->Release();
    link->Release();
    return result;
}

RegistryValue ReadValue(const std::string& key, const char* name) {
    RegistryValue value;
    BYTE data[4096];
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY, &value.type, data, &size) !=
        ERROR_SUCCESS)
        return value;
    if (value.type == REG_SZ) value.text = reinterpret_cast<const char*>(data);
    if (value.type == REG_DWORD) value.number = *reinterpret_cast<const DWORD*>(data);
    return value;
}

bool KeyExists(const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

std::vector<std::string> LogLines(const fs::path& log) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(log));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int FindLine(const std::vector<std::string>& lines, const std::string& text, int from) {
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (lines[i] == text) return i;
    return -1;
}

int FindLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    for (int i = 0; i < static_cast<int>(lines.size()); ++i)
        if (lines[i].rfind(prefix, 0) == 0) return i;
    return -1;
}
