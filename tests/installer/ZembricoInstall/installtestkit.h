#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// What the Windows tests of whole installations share: files, Install.log, registry values,
// shortcuts and the worker's progress messages as a window receives them.

// How long a test waits for something that comes within seconds, even under emulation, before
// it calls it hung: a safety net, never a measure.
inline constexpr DWORD kWouldHangMs = 120000;

// Looks at `condition` every few milliseconds until it holds; false when it has not held within
// kWouldHangMs.
bool WaitUntil(const std::function<bool()>& condition);

std::string ReadFile(const std::filesystem::path& path);
// Creates the parent folders first.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// Loads the English message table of the repository as the process-wide one, so that the
// worker's error texts are the program's own. Returns the loader's error, empty on success.
std::string LoadEnglishMessages();

// A message-only window's queue of WM_INSTALL_PROGRESS codes.
class ProgressWindow {
  public:
    ProgressWindow();
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    HWND handle() const { return window_; }

    // Collects codes until a final one (1000 or negative) arrives; the text of -5 goes to `text`
    // and is freed, as the window frees it.
    std::vector<int> waitForEnd(std::string* text = nullptr);
    // Codes posted so far, without waiting.
    std::vector<int> pending();

  private:
    HWND window_ = nullptr;
};

struct Shortcut {
    std::string target, arguments, folder, icon;
    int iconIndex = -1;
};
// Reads a .lnk file through the shell-link object (COM initialised on the thread).
Shortcut ReadShortcut(const std::filesystem::path& file);

struct RegistryValue {
    DWORD type = REG_NONE;
    std::string text;  // REG_SZ as narrow text
    DWORD number = 0;  // REG_DWORD
};
// A value below HKEY_LOCAL_MACHINE; type REG_NONE when it cannot be read.
RegistryValue ReadValue(const std::string& key, const char* name);
bool KeyExists(const std::string& key);

// The lines of a log file without their CR LF.
std::vector<std::string> LogLines(const std::filesystem::path& log);
// Index of the first line equal to `text` at or after `from`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& text, int from = 0);
// Index of the first line that begins with `prefix`, or -1.
int FindLineStarting(const std::vector<std::string>& lines, const std::string& prefix);
