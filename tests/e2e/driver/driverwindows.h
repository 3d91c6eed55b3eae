#pragma once

// What the driver finds of the setup program's windows, the waits it makes and the texts it
// prints.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

inline constexpr wchar_t kWizardClass[] = L"ZembricoInstaller";
inline constexpr wchar_t kProgramBoxClass[] = L"MyMsgBox";
inline constexpr wchar_t kSystemDialogClass[] = L"#32770";
inline constexpr int kProgramBoxFirst = IDYES;
inline constexpr int kProgramBoxSecond = IDNO;

struct Failure {
    std::string what;
};

std::wstring FromUtf8(const std::string& text);
std::string ToUtf8(const std::wstring& text);
std::wstring WindowText(HWND window);
void Say(const std::string& line);
// How long the driver waits for a program that is merely busy before it gives up on it.
inline constexpr UINT kWouldHangMs = 120000;
// Polls `ready` every 50 ms until it holds or `seconds` have passed.
bool WaitFor(double seconds, const std::function<bool()>& ready);

// The setup program started by "start"; every window looked for must belong to it, since
// other programs of the shared prefix may show windows of the same classes.
struct Program {
    HANDLE process = nullptr;
    DWORD id = 0;
};

extern Program theProgram;

bool OfProgram(HWND window);
HWND ProgramWindowOfClass(const wchar_t* className);
HWND Wizard();
HWND RequireWizard();
HWND Control(int id);
HWND WaitForWindowOfClass(const wchar_t* className, double seconds, const char* what);
// Returns once the thread of `window` has handled what it was sent before and is back in a
// message loop, or at once when there is no such window.
void Settle(HWND window);
// Posts `message` to `box` to answer or close it, waits until it is gone, then until the window
// that owned it has handled the answer (it may end the program or show the next box).
void CloseBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
// The system dialogs of the program: a message box has a static text, the folder browser a
// tree view.
bool IsFolderBrowser(HWND dialog);
HWND SystemDialog(bool folderBrowser);
HWND WaitForSystemDialog(bool folderBrowser, double seconds);
// The text of a system message box: its static controls other than the icon.
std::wstring SystemBoxText(HWND box);
// A click: the box takes the focus on the press and acts on the release while it keeps it.
// Focus moves only within the input state of the window's thread, so join it for the call.
void Click(int id);
std::string ManifestText(const std::wstring& program);
// WM_DPICHANGED carries a pointer to the suggested rectangle, which the system does not copy
// into another process: it is written into the wizard's own memory.
void SendDpiChanged(HWND wizard, int dpi);
// The entries of the language list carry their language index as item data. A choice in the
// open list ends with these notifications, in this order.
void ChooseLanguage(int language);
// Every child window of `top` at any depth, in the system's order.
BOOL CALLBACK CollectChild(HWND child, LPARAM data);
std::vector<HWND> Descendants(HWND top);
// The wizard's control with that id at any depth (the licence box holds its links).
HWND Descendant(int id);
HWND FocusOf(HWND window);
// A reader's view of one control: its client object's role, state, name and value.
std::string ReaderLine(HWND control);
void PrintReaders(HWND top);
std::string RectText(const RECT& rect);
int Number(const std::string& text);
double Seconds(const std::string& text);
