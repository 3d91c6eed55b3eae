#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The sample client's one window: its class is the build's main window class (what the setup
// program and the uninstaller look for), its title the display name, and one line of text per
// entry of `lines`, each a static control, so that a test can read them back.
class ClientWindow {
  public:
    ClientWindow(const std::string& windowClass, const std::string& title,
                 const std::vector<std::string>& lines);
    ~ClientWindow();
    ClientWindow(const ClientWindow&) = delete;
    ClientWindow& operator=(const ClientWindow&) = delete;

    // Runs the message loop until the window is closed; returns the quit code.
    int run();

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring className_;
    HWND window_ = nullptr;
};
