#include <oleacc.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <windows.h>

// After windows.h, whose types it uses.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "constants.h"
#include "driverwindows.h"
#include "installer/core/wizardlayout.h"
#include "steps.h"

const StepHandler Steps::kHandlers[] = {
    {"win10", &Steps::onWin10},
    {"start", &Steps::onStart},
    {"run", &Steps::onRun},
    {"exit", &Steps::onExit},
    {"terminate", &Steps::onTerminate},
    {"killunder", &Steps::onKillUnder},
    {"window", &Steps::onWindow},
    {"gone", &Steps::onGone},
    {"nowindow", &Steps::onNoWindow},
    {"command", &Steps::onCommand},
    {"click", &Steps::onClick},
    {"settext", &Steps::onSetText},
    {"close", &Steps::onClose},
    {"language", &Steps::onLanguage},
    {"visible", &Steps::onVisible},
    {"checked", &Steps::onChecked},
    {"enabled", &Steps::onEnabled},
    {"text", &Steps::onText},
    {"textnot", &Steps::onText},
    {"print", &Steps::onPrint},
    {"rect", &Steps::onRect},
    {"constants", &Steps::onConstants},
    {"layout", &Steps::onLayout},
    {"dpichanged", &Steps::onDpiChanged},
    {"manifest", &Steps::onManifest},
    {"workarea", &Steps::onWorkArea},
    {"moveto", &Steps::onMoveTo},
    {"box", &Steps::onBox},
    {"nobox", &Steps::onNoBox},
    {"boxgone", &Steps::onBoxGone},
    {"answer", &Steps::onAnswer},
    {"sysbox", &Steps::onSystemBox},
    {"sysok", &Steps::onSystemOk},
    {"anybox", &Steps::onAnyBox},
    {"dismiss", &Steps::onDismiss},
    {"folderbox", &Steps::onFolderBox},
    {"folderok", &Steps::onFolderButton},
    {"foldercancel", &Steps::onFolderButton},
    {"lines", &Steps::onLines},
    {"closeclass", &Steps::onCloseClass},
    {"codepage", &Steps::onCodePage},
    {"mutex", &Steps::onMutex},
    {"release", &Steps::onRelease},
    {"env", &Steps::onEnv},
    {"regset", &Steps::onRegSet},
    {"regdelete", &Steps::onRegDelete},
    {"regquery", &Steps::onRegQuery},
    {"shot", &Steps::onShot},
    {"focus", &Steps::onFocus},
    {"dropped", &Steps::onDropped},
    {"readers", &Steps::onReaders},
};

void Steps::step(const std::string& name) {
    for (const StepHandler& handler : kHandlers)
        if (name == handler.name) return (this->*handler.run)(name);
    throw Failure{"unknown step " + name};
}

void Steps::onWin10(const std::string&) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + FromUtf8(take());
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        throw Failure{"cannot create the key"};
    const wchar_t version[] = L"win10";
    RegSetValueExW(opened, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   sizeof version);
    RegCloseKey(opened);
}

void Steps::onStart(const std::string&) {
    start(FromUtf8(take()));
}

void Steps::onRun(const std::string&) {
    launch(nullptr, FromUtf8(take()), nullptr);
}

void Steps::onExit(const std::string&) {
    if (!theProgram.process) throw Failure{"no program started"};
    bool windowSeen = false;
    if (!WaitFor(Seconds(take()), [&] {
            windowSeen = windowSeen || Wizard() || ProgramWindowOfClass(kProgramBoxClass);
            return WaitForSingleObject(theProgram.process, 0) == WAIT_OBJECT_0;
        }))
        throw Failure{"the program did not end"};
    DWORD code = 0;
    GetExitCodeProcess(theProgram.process, &code);
    Say("exit " + std::to_string(static_cast<int>(code)) + " windows " +
        (windowSeen ? "seen" : "none"));
}

void Steps::onTerminate(const std::string&) {
    if (theProgram.process && WaitForSingleObject(theProgram.process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(theProgram.process, 99);
        WaitForSingleObject(theProgram.process, 10000);
        Say("terminated");
    }
}

void Steps::onKillUnder(const std::string&) {
    killUnder(FromUtf8(take()));
}

void Steps::onBox(const std::string&) {
    const HWND box = WaitForWindowOfClass(kProgramBoxClass, Seconds(take()), "message box");
    Say("box: " + ToUtf8(WindowText(box)));
}

void Steps::onNoBox(const std::string&) {
    if (ProgramWindowOfClass(kProgramBoxClass)) throw Failure{"a message box is open"};
}

void Steps::onBoxGone(const std::string&) {
    HWND owner = nullptr;
    if (!WaitFor(Seconds(take()), [&] {
            const HWND box = ProgramWindowOfClass(kProgramBoxClass);
            if (box) owner = GetWindow(box, GW_OWNER);
            return box == nullptr;
        }))
        throw Failure{"a message box is still open"};
    Settle(owner ? owner : Wizard());
}

void Steps::onAnswer(const std::string&) {
    const std::string which = take();
    // A box that was just found may still be settling (resized to its message).
    const HWND box = WaitForWindowOfClass(kProgramBoxClass, 5, "message box to answer");
    if (which == "close")
        CloseBox(box, WM_CLOSE, 0, 0);
    else
        CloseBox(box, WM_COMMAND, which == "second" ? kProgramBoxSecond : kProgramBoxFirst, 0);
}

void Steps::onSystemBox(const std::string&) {
    const HWND box = WaitForSystemDialog(false, Seconds(take()));
    Say("sysbox: " + ToUtf8(WindowText(box)) + " | " + ToUtf8(SystemBoxText(box)));
}

void Steps::onSystemOk(const std::string&) {
    CloseBox(WaitForSystemDialog(false, 1), WM_COMMAND, IDOK, 0);
}

void Steps::onAnyBox(const std::string&) {
    HWND box = nullptr;
    bool system = false;
    if (!WaitFor(Seconds(take()), [&] {
            box = ProgramWindowOfClass(kProgramBoxClass);
            if (!box && (box = SystemDialog(false))) system = true;
            return box != nullptr;
        }))
        throw Failure{"no message box appeared"};
    Say(system ? "sysbox: " + ToUtf8(WindowText(box)) + " | " + ToUtf8(SystemBoxText(box))
               : "box: " + ToUtf8(WindowText(box)));
}

void Steps::onDismiss(const std::string&) {
    HWND box = ProgramWindowOfClass(kProgramBoxClass);
    const bool system = box == nullptr;
    if (system) box = SystemDialog(false);
    if (!box) throw Failure{"no message box to dismiss"};
    CloseBox(box, WM_COMMAND, system ? IDOK : kProgramBoxFirst, 0);
}

void Steps::onFolderBox(const std::string&) {
    const double seconds = Seconds(take());
    const HWND box = WaitForSystemDialog(true, seconds);
    // The dialog fills its tree and selects the wizard's folder after it is shown.
    const HWND tree = FindWindowExW(box, nullptr, L"SysTreeView32", nullptr);
    if (!WaitFor(seconds,
                 [&] { return tree && SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0; }))
        throw Failure{"the folder browser selects nothing"};
    Settle(box);
    Say("folderbox: " + ToUtf8(WindowText(box)) + ", OK enabled " +
        std::to_string(IsWindowEnabled(GetDlgItem(box, IDOK)) ? 1 : 0) + ", OK \"" +
        ToUtf8(WindowText(GetDlgItem(box, IDOK))) + "\"");
}

void Steps::onFolderButton(const std::string& name) {
    const HWND box = WaitForSystemDialog(true, 1);
    const int button = name == "folderok" ? IDOK : IDCANCEL;
    // The shell may enable OK only once the selection has reached the folder.
    if (!WaitFor(kWouldHangMs / 1000.0,
                 [&] { return IsWindowEnabled(GetDlgItem(box, button)) != 0; }))
        throw Failure{"the button is disabled"};
    CloseBox(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

void Steps::onLines(const std::string&) {
    const std::wstring className = FromUtf8(take());
    HWND window = nullptr;
    if (!WaitFor(Seconds(take()), [&] {
            window = FindWindowW(className.c_str(), nullptr);
            return window && IsWindowVisible(window);
        }))
        throw Failure{"no visible " + ToUtf8(className) + " window"};
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        Say("line: " + ToUtf8(WindowText(child)));
}

void Steps::onCloseClass(const std::string&) {
    const std::wstring className = FromUtf8(take());
    const double seconds = Seconds(take());
    std::vector<DWORD> programs;
    if (!WaitFor(seconds, [&] {
            const HWND window = FindWindowW(className.c_str(), nullptr);
            if (!window) return true;
            DWORD program = 0;
            GetWindowThreadProcessId(window, &program);
            if (std::find(programs.begin(), programs.end(), program) == programs.end())
                programs.push_back(program);
            PostMessageW(window, WM_CLOSE, 0, 0);
            return false;
        }))
        throw Failure{"a " + ToUtf8(className) + " window is still there"};
    // What the program holds (a mutex that says it runs) goes only when it ends.
    for (const DWORD program : programs) {
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, program);
        if (!process) continue;
        const DWORD waited = WaitForSingleObject(process, static_cast<DWORD>(seconds * 1000));
        CloseHandle(process);
        if (waited != WAIT_OBJECT_0)
            throw Failure{"the program of a " + ToUtf8(className) + " window still runs"};
    }
}

void Steps::onCodePage(const std::string&) {
    const int page = Number(take());
    const wchar_t japanese[] = {0x65E5, 0x672C, 0x8A9E};
    const bool converts = WideCharToMultiByte(static_cast<UINT>(page), 0, japanese, 3, nullptr, 0,
                                              nullptr, nullptr) != 0;
    Say("codepage " + std::to_string(page) + ": " + (converts ? "1" : "0"));
}

void Steps::onMutex(const std::string&) {
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, FromUtf8(take()).c_str());
    if (!mutex) throw Failure{"cannot create the mutex"};
    heldMutexes_.push_back(mutex);
}

void Steps::onRelease(const std::string&) {
    for (const HANDLE mutex : heldMutexes_) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    heldMutexes_.clear();
}

void Steps::onEnv(const std::string&) {
    const std::wstring variable = FromUtf8(take());
    const std::wstring value = FromUtf8(take());
    if (!SetEnvironmentVariableW(variable.c_str(), value.empty() ? nullptr : value.c_str()) &&
        !value.empty())
        throw Failure{"cannot set the variable"};
}

void Steps::onRegSet(const std::string&) {
    const std::wstring path = FromUtf8(take());
    const std::wstring valueName = FromUtf8(take());
    const std::wstring value = FromUtf8(take());
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw Failure{"cannot create the key"};
    const LONG written = RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (written != ERROR_SUCCESS) throw Failure{"cannot write the value"};
}

void Steps::onRegDelete(const std::string&) {
    const std::wstring path = FromUtf8(take());
    const LONG deleted = RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
    if (deleted == ERROR_SUCCESS) RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
}

void Steps::onRegQuery(const std::string&) {
    queryKey(FromUtf8(take()));
}

void Steps::start(const std::wstring& path) {
    launch(path.c_str(), L"\"" + path + L"\"", path.substr(0, path.rfind(L'\\')).c_str());
}

void Steps::launch(const wchar_t* path, std::wstring commandLine, const wchar_t* folder) {
    if (theProgram.process) CloseHandle(theProgram.process);
    theProgram = Program{};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &started))
        throw Failure{"cannot start the program: error " + std::to_string(GetLastError())};
    CloseHandle(started.hThread);
    theProgram = Program{started.hProcess, started.dwProcessId};
}

void Steps::killUnder(const std::wstring& folder) {
    if (folder.size() < 4) throw Failure{"refusing to end the programs of a drive root"};
    const std::wstring prefix = folder.back() == L'\\' ? folder : folder + L'\\';
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        const HANDLE process =
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                        entry.th32ProcessID);
        if (!process) continue;
        wchar_t image[MAX_PATH] = {};
        DWORD units = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, image, &units) &&
            CompareStringOrdinal(image, static_cast<int>(std::min<size_t>(units, prefix.size())),
                                 prefix.c_str(), static_cast<int>(prefix.size()),
                                 TRUE) == CSTR_EQUAL) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 10000);
            Say("ended " + ToUtf8(image));
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

void Steps::queryKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        Say("reg: no key");
        return;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD nameUnits = 256;
        wchar_t value[2048] = {};
        DWORD bytes = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        if (RegEnumValueW(key, index, valueName, &nameUnits, nullptr, &type,
                          reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            Say("reg " + ToUtf8(valueName) + ": " + ToUtf8(value));
    }
    RegCloseKey(key);
}
