// zbdriver: plays a user at the setup program's window, for the end-to-end tests.
//
//   zbdriver STEP [ARG...] [STEP [ARG...]]...
//   zbdriver serve
//
// Steps run in order; the first that fails prints "FAIL: ..." and ends the program with 1.
// With "serve" the driver reads one list of steps per line of its standard input (arguments
// separated by tabs), runs it, and ends its answer with "end 0" or, after a failure, "end 1";
// it ends at the end of its input. (A Wine process start costs seconds under emulation.)
// Waits take a time-out in seconds. Control ids are those of the wizard's layout.
//
//   win10 EXE-NAME       have Wine report Windows 10 to programs of that file name
//   start PATH [ARG]     start the setup program; every later step looks only at its windows
//   run COMMAND-LINE     start a program from a command line as the system runs one (an
//                        uninstall string); later steps look only at its windows
//   exit T               wait until it ends; print "exit N windows seen|none" with its exit
//                        code and whether a window or box of it showed while waiting
//   terminate            end it at once when it still runs (clean-up after a failure)
//   killunder FOLDER     end every process whose program lies in FOLDER (a launched client)
//   window T             wait for the visible "ZembricoInstaller" window
//   gone T               wait until no such window exists
//   nowindow             fail when the window exists
//   command ID           post the command a click on a push button or radio button sends
//   click ID             press and release a check box (focus first, as a click gives it)
//   settext ID TEXT      replace an edit field's text (the field reports the change)
//   close                post the window's close message (Alt+F4, the system close)
//   language INDEX       choose the language list's entry of that language index, with the
//                        notifications of a choice made in the open list
//   visible ID 0|1 T     wait until the control's visibility is as given
//   enabled ID 0|1       the control's enabled state is as given now
//   checked ID 0|1 T     wait until the check box's state (BM_GETCHECK) is as given
//   text ID TEXT T       wait until the control's text is TEXT
//   textnot ID TEXT T    wait until the control's text differs from TEXT
//   print ID             print "text ID: ..." with the control's text
//   rect wizard|box|boxfirst|ID  print "rect NAME: LEFT TOP RIGHT BOTTOM", the screen rectangle
//                        of the wizard, of the open program message box, of its first button
//                        or of a wizard control
//   layout               print "layout ID: X Y WIDTH HEIGHT" for each control of the wizard's
//                        layout table that has an id (window pixels at 100 %)
//   manifest PATH        print "manifest: TEXT", the program's manifest (RT_MANIFEST 1) with its
//                        line breaks taken out
//   dpichanged DPI       send the wizard what the system sends when it moves to a monitor of
//                        that DPI, with its present rectangle as the suggested one
//   workarea             print "workarea: LEFT TOP RIGHT BOTTOM" of the wizard's monitor
//   moveto X Y           move the wizard's top-left corner there, as a drag leaves it
//   box T                wait for one of the program's message boxes; print "box: TITLE"
//   nobox                fail when one of the program's message boxes is open
//   boxgone T            wait until none of the program's message boxes is open and the window
//                        that owned it has handled the answer
//   answer first|second|close  press a button of the open program message box, or close it;
//                        wait until it is gone and its owner has handled the answer
//   sysbox T             wait for a system message box; print "sysbox: TITLE | TEXT"
//   sysok                press OK in the open system message box
//   anybox T             wait for a message box of either kind; print "box: ..." or "sysbox: ..."
//   dismiss              press the first button (OK) of whichever message box is open
//   folderbox T          wait for the folder browser and its selection; print "folderbox: TITLE,
//                        OK enabled N"
//   folderok             press OK in the folder browser (fails when it stays disabled)
//   foldercancel         press Cancel in the folder browser
//   lines CLASS T        wait for a visible top-level window of that class, of any program (a
//                        launched client); print "line: TEXT" for each of its child windows
//   closeclass CLASS T   post the close message to the windows of that class; wait until none
//                        is left and their programs have ended
//   codepage N           print "codepage N: 1" when the system converts Japanese text to that
//                        code page, else "codepage N: 0"
//   mutex NAME           create and hold the named mutex until "release" or the driver ends
//   release              close the mutexes held
//   env NAME VALUE       set an environment variable of the programs started later (an empty
//                        VALUE removes it)
//   regset PATH NAME VALUE   write a string value below HKEY_LOCAL_MACHINE (the program's view)
//   regdelete PATH       delete a key of HKEY_LOCAL_MACHINE with everything below it
//   regquery PATH        print "reg NAME: VALUE" for each string value of the key
//   shot NAME            let the wizard, when there is one, paint and handle what it was sent;
//                        print "shot NAME" and wait for a line on the standard input (the
//                        harness takes the screenshot meanwhile)
//   focus ID T           wait until the control with that id (a link inside the licence box
//                        too) has the keyboard focus of the wizard's thread
//   dropped 0|1 T        wait until the language list is open (1) or closed (0)
//   readers wizard|box   print what a screen reader reads of each visible control of the
//                        wizard or of the open program message box, beside what the window
//                        itself holds: "reader ID|role R|state S|name N|value V|text T|check C|
//                        enabled E|focused F" (state in hex; check: BM_GETCHECK of a check box
//                        or radio button, else -1); value "-" when there is none
//
// Texts are UTF-8 on the command line and in the output.

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
#include <functional>
#include <string>
#include <vector>

#include "installer/core/wizardlayout.h"

namespace {

constexpr wchar_t kWizardClass[] = L"ZembricoInstaller";
constexpr wchar_t kProgramBoxClass[] = L"MyMsgBox";
constexpr wchar_t kSystemDialogClass[] = L"#32770";
constexpr int kProgramBoxFirst = IDYES;
constexpr int kProgramBoxSecond = IDNO;
constexpr int kLanguageList = 1001;

struct Failure {
    std::string what;
};

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

// How long the driver waits for a program that is merely busy before it gives up on it.
constexpr UINT kWouldHangMs = 120000;

// Polls `ready` every 50 ms until it holds or `seconds` have passed.
bool WaitFor(double seconds, const std::function<bool()>& ready) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

// The setup program started by "start"; every window looked for must belong to it, since
// other programs of the shared prefix may show windows of the same classes.
struct Program {
    HANDLE process = nullptr;
    DWORD id = 0;
};
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

// Returns once the thread of `window` has handled what it was sent before and is back in a
// message loop, or at once when there is no such window.
void Settle(HWND window) {
    DWORD_PTR ignored = 0;
    if (window) SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kWouldHangMs, &ignored);
}

// Posts `message` to `box` to answer or close it, waits until it is gone, then until the window
// that owned it has handled the answer (it may end the program or show the next box).
void CloseBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND owner = GetWindow(box, GW_OWNER);
    PostMessageW(box, message, wParam, lParam);
    if (WaitFor(10, [&] { return !IsWindow(box); })) Settle(owner);
}

// The system dialogs of the program: a message box has a static text, the folder browser a
// tree view.
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

// The text of a system message box: its static controls other than the icon.
std::wstring SystemBoxText(HWND box) {
    std::wstring text;
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        const std::wstring part = WindowText(child);
        if (!part.empty()) text += (text.empty() ? L"" : L" / ") + part;
    }
    return text;
}

// A click: the box takes the focus on the press and acts on the release while it keeps it.
// Focus moves only within the input state of the window's thread, so join it for the call.
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

// WM_DPICHANGED carries a pointer to the suggested rectangle, which the system does not copy
// into another process: it is written into the wizard's own memory.
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

// The entries of the language list carry their language index as item data. A choice in the
// open list ends with these notifications, in this order.
void ChooseLanguage(int language) {
    const HWND list = Control(kLanguageList);
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        if (SendMessageW(list, CB_GETITEMDATA, item, 0) != language) continue;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(list, CB_SETCURSEL, item, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
        for (const WORD notification : {CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE})
            PostMessageW(RequireWizard(), WM_COMMAND, MAKEWPARAM(kLanguageList, notification),
                         reinterpret_cast<LPARAM>(list));
        return;
    }
    throw Failure{"language " + std::to_string(language) + " is not in the list"};
}

// Every child window of `top` at any depth, in the system's order.
BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND top) {
    std::vector<HWND> found;
    EnumChildWindows(top, &CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The wizard's control with that id at any depth (the licence box holds its links).
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

// A reader's view of one control: its client object's role, state, name and value.
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

class Steps {
  public:
    void run(std::vector<std::string> args) {
        args_ = std::move(args);
        next_ = 0;
        while (next_ < args_.size()) step(take());
    }

  private:
    std::string take() {
        if (next_ >= args_.size()) throw Failure{"missing argument after " + args_.back()};
        return args_[next_++];
    }

    void step(const std::string& name) {
        if (name == "win10") {
            const std::wstring key = L"Software\\Wine\\AppDefaults\\" + FromUtf8(take());
            HKEY opened = nullptr;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &opened, nullptr) != ERROR_SUCCESS)
                throw Failure{"cannot create the key"};
            const wchar_t version[] = L"win10";
            RegSetValueExW(opened, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           sizeof version);
            RegCloseKey(opened);
        } else if (name == "start") {
            start(FromUtf8(take()));
        } else if (name == "run") {
            launch(nullptr, FromUtf8(take()), nullptr);
        } else if (name == "exit") {
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
        } else if (name == "terminate") {
            if (theProgram.process && WaitForSingleObject(theProgram.process, 0) == WAIT_TIMEOUT) {
                TerminateProcess(theProgram.process, 99);
                WaitForSingleObject(theProgram.process, 10000);
                Say("terminated");
            }
        } else if (name == "killunder") {
            killUnder(FromUtf8(take()));
        } else if (name == "window") {
            const double seconds = Seconds(take());
            if (!WaitFor(seconds, [] {
                    const HWND wizard = Wizard();
                    return wizard && IsWindowVisible(wizard);
                }))
                throw Failure{"the wizard window did not appear"};
            // Above whatever else the shared display shows, for the screenshots.
            SetWindowPos(Wizard(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        } else if (name == "gone") {
            if (!WaitFor(Seconds(take()), [] { return Wizard() == nullptr; }))
                throw Failure{"the wizard window is still there"};
        } else if (name == "nowindow") {
            if (Wizard()) throw Failure{"the wizard window exists"};
        } else if (name == "command") {
            const int id = Number(take());
            Control(id);
            PostMessageW(RequireWizard(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        } else if (name == "click") {
            Click(Number(take()));
        } else if (name == "settext") {
            const HWND control = Control(Number(take()));
            const std::wstring text = FromUtf8(take());
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                SMTO_ABORTIFHUNG, 10000, &ignored);
        } else if (name == "close") {
            PostMessageW(RequireWizard(), WM_CLOSE, 0, 0);
        } else if (name == "language") {
            ChooseLanguage(Number(take()));
        } else if (name == "visible") {
            const int id = Number(take());
            const bool wanted = Number(take()) != 0;
            if (!WaitFor(Seconds(take()),
                         [&] { return (IsWindowVisible(Control(id)) != 0) == wanted; }))
                throw Failure{"control " + std::to_string(id) + " visibility is not " +
                              std::to_string(wanted)};
        } else if (name == "checked") {
            const int id = Number(take());
            const bool wanted = Number(take()) != 0;
            if (!WaitFor(Seconds(take()), [&] {
                    DWORD_PTR state = 0;
                    SendMessageTimeoutW(Control(id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                        &state);
                    return (state == BST_CHECKED) == wanted;
                }))
                throw Failure{"control " + std::to_string(id) + " checked state is not " +
                              std::to_string(wanted)};
        } else if (name == "enabled") {
            const int id = Number(take());
            const bool wanted = Number(take()) != 0;
            // A state change posted just before may still be on its way.
            if (!WaitFor(1, [&] { return (IsWindowEnabled(Control(id)) != 0) == wanted; }))
                throw Failure{"control " + std::to_string(id) + " enabled state is not " +
                              std::to_string(wanted)};
        } else if (name == "text" || name == "textnot") {
            const int id = Number(take());
            const std::wstring text = FromUtf8(take());
            const bool equal = name == "text";
            if (!WaitFor(Seconds(take()),
                         [&] { return (WindowText(Control(id)) == text) == equal; }))
                throw Failure{"control " + std::to_string(id) + " text is \"" +
                              ToUtf8(WindowText(Control(id))) + "\""};
        } else if (name == "print") {
            const int id = Number(take());
            Say("text " + std::to_string(id) + ": " + ToUtf8(WindowText(Control(id))));
        } else if (name == "rect") {
            const std::string which = take();
            const HWND window =
                which == "wizard" ? RequireWizard()
                : which == "box"  ? WaitForWindowOfClass(kProgramBoxClass, 5, "message box")
                : which == "boxfirst"
                    ? GetDlgItem(WaitForWindowOfClass(kProgramBoxClass, 5, "message box"),
                                 kProgramBoxFirst)
                    : Control(Number(which));
            RECT rect{};
            GetWindowRect(window, &rect);
            Say("rect " + which + ": " + RectText(rect));
        } else if (name == "layout") {
            for (const WizardControl& row : WizardLayout())
                if (row.id != kIdNone)
                    Say("layout " + std::to_string(row.id) + ": " + std::to_string(row.x) + " " +
                        std::to_string(row.y) + " " + std::to_string(row.width) + " " +
                        std::to_string(row.height));
        } else if (name == "dpichanged") {
            SendDpiChanged(RequireWizard(), Number(take()));
        } else if (name == "manifest") {
            Say("manifest: " + ManifestText(FromUtf8(take())));
        } else if (name == "workarea") {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (!GetMonitorInfoW(MonitorFromWindow(RequireWizard(), MONITOR_DEFAULTTONEAREST),
                                 &info))
                throw Failure{"no monitor information"};
            Say("workarea: " + RectText(info.rcWork));
        } else if (name == "moveto") {
            const int x = Number(take());
            const int y = Number(take());
            SetWindowPos(RequireWizard(), nullptr, x, y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (name == "box") {
            const HWND box = WaitForWindowOfClass(kProgramBoxClass, Seconds(take()), "message box");
            Say("box: " + ToUtf8(WindowText(box)));
        } else if (name == "nobox") {
            if (ProgramWindowOfClass(kProgramBoxClass)) throw Failure{"a message box is open"};
        } else if (name == "boxgone") {
            HWND owner = nullptr;
            if (!WaitFor(Seconds(take()), [&] {
                    const HWND box = ProgramWindowOfClass(kProgramBoxClass);
                    if (box) owner = GetWindow(box, GW_OWNER);
                    return box == nullptr;
                }))
                throw Failure{"a message box is still open"};
            Settle(owner ? owner : Wizard());
        } else if (name == "answer") {
            const std::string which = take();
            // A box that was just found may still be settling (resized to its message).
            const HWND box = WaitForWindowOfClass(kProgramBoxClass, 5, "message box to answer");
            if (which == "close")
                CloseBox(box, WM_CLOSE, 0, 0);
            else
                CloseBox(box, WM_COMMAND, which == "second" ? kProgramBoxSecond : kProgramBoxFirst,
                         0);
        } else if (name == "sysbox") {
            const HWND box = WaitForSystemDialog(false, Seconds(take()));
            Say("sysbox: " + ToUtf8(WindowText(box)) + " | " + ToUtf8(SystemBoxText(box)));
        } else if (name == "sysok") {
            CloseBox(WaitForSystemDialog(false, 1), WM_COMMAND, IDOK, 0);
        } else if (name == "anybox") {
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
        } else if (name == "dismiss") {
            HWND box = ProgramWindowOfClass(kProgramBoxClass);
            const bool system = box == nullptr;
            if (system) box = SystemDialog(false);
            if (!box) throw Failure{"no message box to dismiss"};
            CloseBox(box, WM_COMMAND, system ? IDOK : kProgramBoxFirst, 0);
        } else if (name == "folderbox") {
            const double seconds = Seconds(take());
            const HWND box = WaitForSystemDialog(true, seconds);
            // The dialog fills its tree and selects the wizard's folder after it is shown.
            const HWND tree = FindWindowExW(box, nullptr, L"SysTreeView32", nullptr);
            if (!WaitFor(seconds, [&] {
                    return tree && SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
                }))
                throw Failure{"the folder browser selects nothing"};
            Settle(box);
            Say("folderbox: " + ToUtf8(WindowText(box)) + ", OK enabled " +
                std::to_string(IsWindowEnabled(GetDlgItem(box, IDOK)) ? 1 : 0) + ", OK \"" +
                ToUtf8(WindowText(GetDlgItem(box, IDOK))) + "\"");
        } else if (name == "folderok" || name == "foldercancel") {
            const HWND box = WaitForSystemDialog(true, 1);
            const int button = name == "folderok" ? IDOK : IDCANCEL;
            // The shell may enable OK only once the selection has reached the folder.
            if (!WaitFor(kWouldHangMs / 1000.0,
                         [&] { return IsWindowEnabled(GetDlgItem(box, button)) != 0; }))
                throw Failure{"the button is disabled"};
            CloseBox(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        } else if (name == "lines") {
            const std::wstring className = FromUtf8(take());
            HWND window = nullptr;
            if (!WaitFor(Seconds(take()), [&] {
                    window = FindWindowW(className.c_str(), nullptr);
                    return window && IsWindowVisible(window);
                }))
                throw Failure{"no visible " + ToUtf8(className) + " window"};
            for (HWND child = GetWindow(window, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                Say("line: " + ToUtf8(WindowText(child)));
        } else if (name == "closeclass") {
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
                const DWORD waited =
                    WaitForSingleObject(process, static_cast<DWORD>(seconds * 1000));
                CloseHandle(process);
                if (waited != WAIT_OBJECT_0)
                    throw Failure{"the program of a " + ToUtf8(className) + " window still runs"};
            }
        } else if (name == "codepage") {
            const int page = Number(take());
            const wchar_t japanese[] = {0x65E5, 0x672C, 0x8A9E};
            const bool converts = WideCharToMultiByte(static_cast<UINT>(page), 0, japanese, 3,
                                                      nullptr, 0, nullptr, nullptr) != 0;
            Say("codepage " + std::to_string(page) + ": " + (converts ? "1" : "0"));
        } else if (name == "mutex") {
            const HANDLE mutex = CreateMutexW(nullptr, TRUE, FromUtf8(take()).c_str());
            if (!mutex) throw Failure{"cannot create the mutex"};
            heldMutexes_.push_back(mutex);
        } else if (name == "release") {
            for (const HANDLE mutex : heldMutexes_) {
                ReleaseMutex(mutex);
                CloseHandle(mutex);
            }
            heldMutexes_.clear();
        } else if (name == "env") {
            const std::wstring variable = FromUtf8(take());
            const std::wstring value = FromUtf8(take());
            if (!SetEnvironmentVariableW(variable.c_str(),
                                         value.empty() ? nullptr : value.c_str()) &&
                !value.empty())
                throw Failure{"cannot set the variable"};
        } else if (name == "regset") {
            const std::wstring path = FromUtf8(take());
            const std::wstring valueName = FromUtf8(take());
            const std::wstring value = FromUtf8(take());
            HKEY key = nullptr;
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr) != ERROR_SUCCESS)
                throw Failure{"cannot create the key"};
            const LONG written = RegSetValueExW(
                key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
            RegCloseKey(key);
            if (written != ERROR_SUCCESS) throw Failure{"cannot write the value"};
        } else if (name == "regdelete") {
            const std::wstring path = FromUtf8(take());
            const LONG deleted = RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
            if (deleted == ERROR_SUCCESS) RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
        } else if (name == "regquery") {
            queryKey(FromUtf8(take()));
        } else if (name == "shot") {
            for (const HWND window : {Wizard(), ProgramWindowOfClass(kProgramBoxClass)}) {
                if (!window) continue;
                RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                Settle(window);
            }
            Say("shot " + take());
            char line[16];
            if (!std::fgets(line, sizeof line, stdin)) throw Failure{"no answer to shot"};
        } else if (name == "focus") {
            const int id = Number(take());
            if (!WaitFor(Seconds(take()),
                         [&] { return FocusOf(RequireWizard()) == Descendant(id); }))
                throw Failure{"control " + std::to_string(id) + " has not the focus but " +
                              std::to_string(GetDlgCtrlID(FocusOf(RequireWizard())))};
        } else if (name == "dropped") {
            const bool wanted = Number(take()) != 0;
            if (!WaitFor(Seconds(take()), [&] {
                    return (SendMessageW(Control(kLanguageList), CB_GETDROPPEDSTATE, 0, 0) != 0) ==
                           wanted;
                }))
                throw Failure{std::string("the language list is not ") +
                              (wanted ? "open" : "closed")};
        } else if (name == "readers") {
            const std::string which = take();
            PrintReaders(which == "box" ? WaitForWindowOfClass(kProgramBoxClass, 5, "message box")
                                        : RequireWizard());
        } else {
            throw Failure{"unknown step " + name};
        }
    }

    static void start(const std::wstring& path) {
        launch(path.c_str(), L"\"" + path + L"\"", path.substr(0, path.rfind(L'\\')).c_str());
    }

    static void launch(const wchar_t* path, std::wstring commandLine, const wchar_t* folder) {
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

    static void killUnder(const std::wstring& folder) {
        if (folder.size() < 4) throw Failure{"refusing to end the programs of a drive root"};
        const std::wstring prefix = folder.back() == L'\\' ? folder : folder + L'\\';
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more;
             more = Process32NextW(snapshot, &entry)) {
            const HANDLE process =
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                            FALSE, entry.th32ProcessID);
            if (!process) continue;
            wchar_t image[MAX_PATH] = {};
            DWORD units = MAX_PATH;
            if (QueryFullProcessImageNameW(process, 0, image, &units) &&
                CompareStringOrdinal(
                    image, static_cast<int>(std::min<size_t>(units, prefix.size())), prefix.c_str(),
                    static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL) {
                TerminateProcess(process, 99);
                WaitForSingleObject(process, 10000);
                Say("ended " + ToUtf8(image));
            }
            CloseHandle(process);
        }
        CloseHandle(snapshot);
    }

    static void queryKey(const std::wstring& path) {
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

    std::vector<std::string> args_;
    std::size_t next_ = 0;
    // Owned by the driver's only thread, which must also be the one to release them.
    std::vector<HANDLE> heldMutexes_;
};

bool RunReporting(Steps& steps, std::vector<std::string> args) {
    try {
        steps.run(std::move(args));
        return true;
    } catch (const Failure& failure) {
        Say("FAIL: " + failure.what);
        return false;
    }
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return parts;
}

// One list of steps per input line, until the input ends.
int Serve(Steps& steps) {
    std::string line;
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, stdin)) {
        line += chunk;
        if (line.empty() || line.back() != '\n') continue;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const bool passed = line.empty() || RunReporting(steps, SplitTabs(line));
        Say(passed ? "end 0" : "end 1");
        line.clear();
    }
    return 0;
}

}  // namespace

int main() {
    // The readers' objects come from another process through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv && i < argc; ++i) args.push_back(ToUtf8(argv[i]));
    LocalFree(argv);
    Steps steps;
    if (args.size() == 1 && args[0] == "serve") return Serve(steps);
    return RunReporting(steps, std::move(args)) ? 0 : 1;
}
