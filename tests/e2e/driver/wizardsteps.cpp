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

void Steps::onWindow(const std::string&) {
    const double seconds = Seconds(take());
    if (!WaitFor(seconds, [] {
            const HWND wizard = Wizard();
            return wizard && IsWindowVisible(wizard);
        }))
        throw Failure{"the wizard window did not appear"};
    // Above whatever else the shared display shows, for the screenshots.
    SetWindowPos(Wizard(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Steps::onGone(const std::string&) {
    if (!WaitFor(Seconds(take()), [] { return Wizard() == nullptr; }))
        throw Failure{"the wizard window is still there"};
}

void Steps::onNoWindow(const std::string&) {
    if (Wizard()) throw Failure{"the wizard window exists"};
}

void Steps::onCommand(const std::string&) {
    const int id = Number(take());
    Control(id);
    PostMessageW(RequireWizard(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void Steps::onClick(const std::string&) {
    Click(Number(take()));
}

void Steps::onSetText(const std::string&) {
    const HWND control = Control(Number(take()));
    const std::wstring text = FromUtf8(take());
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 10000, &ignored);
}

void Steps::onClose(const std::string&) {
    PostMessageW(RequireWizard(), WM_CLOSE, 0, 0);
}

void Steps::onLanguage(const std::string&) {
    ChooseLanguage(Number(take()));
}

void Steps::onVisible(const std::string&) {
    const int id = Number(take());
    const bool wanted = Number(take()) != 0;
    if (!WaitFor(Seconds(take()), [&] { return (IsWindowVisible(Control(id)) != 0) == wanted; }))
        throw Failure{"control " + std::to_string(id) + " visibility is not " +
                      std::to_string(wanted)};
}

void Steps::onChecked(const std::string&) {
    const int id = Number(take());
    const bool wanted = Number(take()) != 0;
    if (!WaitFor(Seconds(take()), [&] {
            DWORD_PTR state = 0;
            SendMessageTimeoutW(Control(id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
            return (state == BST_CHECKED) == wanted;
        }))
        throw Failure{"control " + std::to_string(id) + " checked state is not " +
                      std::to_string(wanted)};
}

void Steps::onEnabled(const std::string&) {
    const int id = Number(take());
    const bool wanted = Number(take()) != 0;
    // A state change posted just before may still be on its way.
    if (!WaitFor(1, [&] { return (IsWindowEnabled(Control(id)) != 0) == wanted; }))
        throw Failure{"control " + std::to_string(id) + " enabled state is not " +
                      std::to_string(wanted)};
}

void Steps::onText(const std::string& name) {
    const int id = Number(take());
    const std::wstring text = FromUtf8(take());
    const bool equal = name == "text";
    if (!WaitFor(Seconds(take()), [&] { return (WindowText(Control(id)) == text) == equal; }))
        throw Failure{"control " + std::to_string(id) + " text is \"" +
                      ToUtf8(WindowText(Control(id))) + "\""};
}

void Steps::onPrint(const std::string&) {
    const int id = Number(take());
    Say("text " + std::to_string(id) + ": " + ToUtf8(WindowText(Control(id))));
}

void Steps::onRect(const std::string&) {
    const std::string which = take();
    const HWND window =
        which == "wizard" ? RequireWizard()
        : which == "box"  ? WaitForWindowOfClass(kProgramBoxClass, 5, "message box")
        : which == "boxfirst"
            ? GetDlgItem(WaitForWindowOfClass(kProgramBoxClass, 5, "message box"), kProgramBoxFirst)
            : Control(Number(which));
    RECT rect{};
    GetWindowRect(window, &rect);
    Say("rect " + which + ": " + RectText(rect));
}

void Steps::onConstants(const std::string&) {
    Say("constants " + ConstantsJson());
}

void Steps::onLayout(const std::string&) {
    for (const WizardControl& row : WizardLayout())
        if (row.id != kIdNone)
            Say("layout " + std::to_string(row.id) + ": " + std::to_string(row.x) + " " +
                std::to_string(row.y) + " " + std::to_string(row.width) + " " +
                std::to_string(row.height));
}

void Steps::onDpiChanged(const std::string&) {
    SendDpiChanged(RequireWizard(), Number(take()));
}

void Steps::onManifest(const std::string&) {
    Say("manifest: " + ManifestText(FromUtf8(take())));
}

void Steps::onWorkArea(const std::string&) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(RequireWizard(), MONITOR_DEFAULTTONEAREST), &info))
        throw Failure{"no monitor information"};
    Say("workarea: " + RectText(info.rcWork));
}

void Steps::onMoveTo(const std::string&) {
    const int x = Number(take());
    const int y = Number(take());
    SetWindowPos(RequireWizard(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Steps::onShot(const std::string&) {
    for (const HWND window : {Wizard(), ProgramWindowOfClass(kProgramBoxClass)}) {
        if (!window) continue;
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Settle(window);
    }
    Say("shot " + take());
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) throw Failure{"no answer to shot"};
}

void Steps::onFocus(const std::string&) {
    const int id = Number(take());
    if (!WaitFor(Seconds(take()), [&] { return FocusOf(RequireWizard()) == Descendant(id); }))
        throw Failure{"control " + std::to_string(id) + " has not the focus but " +
                      std::to_string(GetDlgCtrlID(FocusOf(RequireWizard())))};
}

void Steps::onDropped(const std::string&) {
    const bool wanted = Number(take()) != 0;
    if (!WaitFor(Seconds(take()), [&] {
            return (SendMessageW(Control(kIdLanguageList), CB_GETDROPPEDSTATE, 0, 0) != 0) ==
                   wanted;
        }))
        throw Failure{std::string("the language list is not ") + (wanted ? "open" : "closed")};
}

void Steps::onReaders(const std::string&) {
    const std::string which = take();
    PrintReaders(which == "box" ? WaitForWindowOfClass(kProgramBoxClass, 5, "message box")
                                : RequireWizard());
}
