#include "driverwindows.h"

#include <oleacc.h>
#include <shellapi.h>
#include <tlhelp32.h>

// After windows.h, whose types it uses.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "installer/core/wizardlayout.h"

std::wstring FromUtf8(const std::string& text) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(units > 0 ? units - 1 : 0, L'\0');
    if (units > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), units);
    return out;
}

std::string ToUtf8(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring WindowText(HWND window) {
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    // Controls keep their text themselves (an edit field), so ask them; a window whose thread
    // is busy (a modal box being made) gets a bounded wait, then the text Windows stores for
    // it.
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                             2000, &copied))
        InternalGetWindowText(window, text, 2048);
    return text;
}

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool WaitFor(double seconds, const std::function<bool()>& ready) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

Program theProgram;

bool OfProgram(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return theProgram.id != 0 && owner == theProgram.id;
}

HWND ProgramWindowOfClass(const wchar_t* className) {
    for (HWND found = FindWindowExW(nullptr, nullptr, className, nullptr); found;
         found = FindWindowExW(nullptr, found, className, nullptr)) {
        if (IsWindowVisible(found) && OfProgram(found)) return found;
    }
    return nullptr;
}

HWND Wizard() {
    for (HWND found = FindWindowExW(nullptr, nullptr, kWizardClass, nullptr); found;
         found = FindWindowExW(nullptr, found, kWizardClass, nullptr)) {
        if (OfProgram(found)) return found;
    }
    return nullptr;
}

HWND RequireWizard() {
    const HWND wizard = Wizard();
    if (!wizard) throw Failure{"no ZembricoInstaller window"};
    return wizard;
}

HWND Control(int id) {
    const HWND control = GetDlgItem(RequireWizard(), id);
    if (!control) throw Failure{"no control " + std::to_string(id)};
    return control;
}

HWND WaitForWindowOfClass(const wchar_t* className, double seconds, const char* what) {
    HWND found = nullptr;
    if (!WaitFor(seconds, [&] { return (found = ProgramWindowOfClass(className)) != nullptr; }))
        throw Failure{std::string("no ") + what + " appeared"};
    return found;
}

void Settle(HWND window) {
    DWORD_PTR ignored = 0;
    if (window) SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kWouldHangMs, &ignored);
}

void CloseBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND owner = GetWindow(box, GW_OWNER);
    PostMessageW(box, message, wParam, lParam);
    if (WaitFor(10, [&] { return !IsWindow(box); })) Settle(owner);
}

bool IsFolderBrowser(HWND dialog) {
    return FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr) != nullptr ||
           GetDlgItem(dialog, /*new folder button=*/14150) != nullptr;
}

HWND SystemDialog(bool folderBrowser) {
    for (HWND found = FindWindowExW(nullptr, nullptr, kSystemDialogClass, nullptr); found;
         found = FindWindowExW(nullptr, found, kSystemDialogClass, nullptr)) {
        if (IsWindowVisible(found) && OfProgram(found) && IsFolderBrowser(found) == folderBrowser)
            return found;
    }
    return nullptr;
}

HWND WaitForSystemDialog(bool folderBrowser, double seconds) {
    HWND found = nullptr;
    if (!WaitFor(seconds, [&] { return (found = SystemDialog(folderBrowser)) != nullptr; }))
        throw Failure{folderBrowser ? "no folder browser appeared"
                                    : "no system message box appeared"};
    return found;
}

std::wstring SystemBoxText(HWND box) {
    std::wstring text;
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        const std::wstring part = WindowText(child);
        if (!part.empty()) text += (text.empty() ? L"" : L" / ") + part;
    }
    return text;
}

void Click(int id) {
    const HWND control = Control(id);
    if (!IsWindowEnabled(control)) throw Failure{"control " + std::to_string(id) + " is disabled"};
    const DWORD target = GetWindowThreadProcessId(control, nullptr);
    const DWORD self = GetCurrentThreadId();
    const bool attached = AttachThreadInput(self, target, TRUE) != 0;
    SetForegroundWindow(GetAncestor(control, GA_ROOT));
    SetFocus(control);
    if (attached) AttachThreadInput(self, target, FALSE);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
}

std::string ManifestText(const std::wstring& program) {
    const HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) throw Failure{"cannot read " + ToUtf8(program)};
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    std::string text = bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
    FreeLibrary(module);
    if (text.empty()) throw Failure{"no manifest in " + ToUtf8(program)};
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

void SendDpiChanged(HWND wizard, int dpi) {
    RECT suggested{};
    GetWindowRect(wizard, &suggested);
    DWORD process = 0;
    GetWindowThreadProcessId(wizard, &process);
    const HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
    if (!target) throw Failure{"cannot open the wizard's process"};
    void* remote = VirtualAllocEx(target, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
    const bool written =
        remote && WriteProcessMemory(target, remote, &suggested, sizeof suggested, nullptr);
    DWORD_PTR ignored = 0;
    const bool sent = written && SendMessageTimeoutW(wizard, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                                     reinterpret_cast<LPARAM>(remote),
                                                     SMTO_ABORTIFHUNG, 10000, &ignored);
    if (remote) VirtualFreeEx(target, remote, 0, MEM_RELEASE);
    CloseHandle(target);
    if (!sent) throw Failure{"WM_DPICHANGED was not delivered"};
}

void ChooseLanguage(int language) {
    const HWND list = Control(kIdLanguageList);
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        if (SendMessageW(list, CB_GETITEMDATA, item, 0) != language) continue;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(list, CB_SETCURSEL, item, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
        for (const WORD notification : {CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE})
            PostMessageW(RequireWizard(), WM_COMMAND, MAKEWPARAM(kIdLanguageList, notification),
                         reinterpret_cast<LPARAM>(list));
        return;
    }
    throw Failure{"language " + std::to_string(language) + " is not in the list"};
}

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND top) {
    std::vector<HWND> found;
    EnumChildWindows(top, &CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND Descendant(int id) {
    for (const HWND child : Descendants(RequireWizard()))
        if (GetDlgCtrlID(child) == id) return child;
    throw Failure{"no control " + std::to_string(id)};
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::string ReaderLine(HWND control) {
    IAccessible* object = nullptr;
    if (AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible,
                                   reinterpret_cast<void**>(&object)) != S_OK ||
        !object)
        throw Failure{"no accessible object for control " + std::to_string(GetDlgCtrlID(control))};
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    object->get_accRole(self, &role);
    object->get_accState(self, &state);
    BSTR name = nullptr, value = nullptr;
    object->get_accName(self, &name);
    const bool hasValue = object->get_accValue(self, &value) == S_OK;
    object->Release();
    char hex[16];
    std::snprintf(hex, sizeof hex, "%lx", state.vt == VT_I4 ? state.lVal : 0L);
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const bool button = lstrcmpiW(className, L"Button") == 0;
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    const bool checkable = button && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
    DWORD_PTR check = static_cast<DWORD_PTR>(-1);
    if (checkable) SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &check);
    std::string line = "reader " + std::to_string(GetDlgCtrlID(control)) + "|role " +
                       std::to_string(role.vt == VT_I4 ? role.lVal : 0) + "|state " + hex +
                       "|name " + ToUtf8(name ? name : L"") + "|value " +
                       (hasValue ? ToUtf8(value ? value : L"") : "-") + "|text " +
                       ToUtf8(WindowText(control)) + "|check " +
                       std::to_string(static_cast<int>(check)) + "|enabled " +
                       (IsWindowEnabled(control) ? "1" : "0") + "|focused " +
                       (FocusOf(control) == control ? "1" : "0");
    SysFreeString(name);
    SysFreeString(value);
    return line;
}

void PrintReaders(HWND top) {
    for (const HWND control : Descendants(top))
        if (IsWindowVisible(control)) Say(ReaderLine(control));
}

std::string RectText(const RECT& rect) {
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
           std::to_string(rect.right) + " " + std::to_string(rect.bottom);
}

int Number(const std::string& text) {
    return std::atoi(text.c_str());
}

double Seconds(const std::string& text) {
    return std::atof(text.c_str());
}
