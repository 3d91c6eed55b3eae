#pragma once

#include <windows.h>

#include "plib/pstring.h"

class PStringEncoding;

// The user-interface calls of the toolkit and the wizard, over the wide-or-narrow layer. Calls
// without text use the form the layer uses now; calls with text follow their encoding (none:
// the narrow form with the bytes unchanged). Class names are ASCII and follow the layer too.
// Each returns what the system returned.

// Registers a window class filled from the arguments (no extra class or window bytes).
ATOM PRegisterWindowClass(UINT style, WNDPROC procedure, HINSTANCE instance, HICON icon,
                          HCURSOR cursor, HBRUSH background, const char* className);
BOOL PUnregisterWindowClass(const char* className, HINSTANCE instance);

HWND PCreateWindow(DWORD exStyle, const char* className, const PString& title,
                   const PStringEncoding* encoding, DWORD style, int x, int y, int width,
                   int height, HWND parent, HMENU menu, HINSTANCE instance, void* parameter);

LRESULT PDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT PCallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT PSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PGetMessage(MSG& message, HWND window, UINT first, UINT last);
LRESULT PDispatchMessage(const MSG& message);

// DrawText of the whole text (length -1) with the caller's format flags.
int PDrawText(HDC dc, const PString& text, RECT& rect, UINT format,
              const PStringEncoding* encoding);

// The window's text, read through `encoding`.
PString PGetWindowText(HWND window, const PStringEncoding* encoding);
// With `crlf`, each line feed is sent as CR LF (multi-line edit controls want both).
BOOL PSetWindowText(HWND window, const PString& text, const PStringEncoding* encoding,
                    bool crlf = false);

// GetWindowLong: a window's 32-bit data at `index`.
LONG PGetWindowLong(HWND window, int index);

// CB_ADDSTRING: the new item's index, or CB_ERR / CB_ERRSPACE.
LRESULT PComboAddString(HWND comboBox, const PString& text, const PStringEncoding* encoding);

// The system's message box.
int PMessageBox(HWND owner, const PString& text, const PString& caption, UINT type,
                const PStringEncoding* encoding);
