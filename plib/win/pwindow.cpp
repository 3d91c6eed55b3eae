#include "plib/win/pwindow.h"

#include <vector>

#include "plib/win/pwidenarrow.h"

namespace {

// Class names are ASCII: one unit per byte in either form.
PSysText ClassName(const char* name, bool wide) {
    return PSysText(PString(name), /*encoding=*/nullptr, wide);
}

}  // namespace

ATOM PRegisterWindowClass(UINT style, WNDPROC procedure, HINSTANCE instance, HICON icon,
                          HCURSOR cursor, HBRUSH background, const char* className) {
    const bool wide = PUseWideCalls();
    PSysText name = ClassName(className, wide);
    if (wide) {
        WNDCLASSW record{style, procedure, 0,          0,       instance,
                         icon,  cursor,    background, nullptr, name.w()};
        return RegisterClassW(&record);
    }
    WNDCLASSA record{style, procedure, 0, 0, instance, icon, cursor, background, nullptr, name.a()};
    return RegisterClassA(&record);
}

BOOL PUnregisterWindowClass(const char* className, HINSTANCE instance) {
    const bool wide = PUseWideCalls();
    PSysText name = ClassName(className, wide);
    return wide ? UnregisterClassW(name.w(), instance) : UnregisterClassA(name.a(), instance);
}

HWND PCreateWindow(DWORD exStyle, const char* className, const PString& title,
                   const PStringEncoding* encoding, DWORD style, int x, int y, int width,
                   int height, HWND parent, HMENU menu, HINSTANCE instance, void* parameter) {
    const bool wide = PWideFor(encoding);
    PSysText name = ClassName(className, wide);
    PSysText text(title, encoding, wide);
    if (wide) {
        return CreateWindowExW(exStyle, name.w(), text.w(), style, x, y, width, height, parent,
                               menu, instance, parameter);
    }
    return CreateWindowExA(exStyle, name.a(), text.a(), style, x, y, width, height, parent, menu,
                           instance, parameter);
}

LRESULT PDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PUseWideCalls() ? DefWindowProcW(window, message, wParam, lParam)
                           : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT PCallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    return PUseWideCalls() ? CallWindowProcW(procedure, window, message, wParam, lParam)
                           : CallWindowProcA(procedure, window, message, wParam, lParam);
}

LRESULT PSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PUseWideCalls() ? SendMessageW(window, message, wParam, lParam)
                           : SendMessageA(window, message, wParam, lParam);
}

BOOL PPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PUseWideCalls() ? PostMessageW(window, message, wParam, lParam)
                           : PostMessageA(window, message, wParam, lParam);
}

BOOL PGetMessage(MSG& message, HWND window, UINT first, UINT last) {
    return PUseWideCalls() ? GetMessageW(&message, window, first, last)
                           : GetMessageA(&message, window, first, last);
}

LRESULT PDispatchMessage(const MSG& message) {
    return PUseWideCalls() ? DispatchMessageW(&message) : DispatchMessageA(&message);
}

int PDrawText(HDC dc, const PString& text, RECT& rect, UINT format,
              const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText chars(text, encoding, wide);
    return wide ? DrawTextW(dc, chars.w(), -1, &rect, format)
                : DrawTextA(dc, chars.a(), -1, &rect, format);
}

PString PGetWindowText(HWND window, const PStringEncoding* encoding) {
    PString text;
    if (PWideFor(encoding)) {
        const int length = GetWindowTextLengthW(window);
        std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, 0);
        const int got = GetWindowTextW(window, buffer.data(), length + 1);
        PAppendWide(text, buffer.data(), static_cast<std::size_t>(got), encoding);
        return text;
    }
    const int length = GetWindowTextLengthA(window);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, 0);
    const int got = GetWindowTextA(window, buffer.data(), length + 1);
    PAppendNarrow(text, buffer.data(), static_cast<std::size_t>(got), encoding);
    return text;
}

BOOL PSetWindowText(HWND window, const PString& text, const PStringEncoding* encoding, bool crlf) {
    const bool wide = PWideFor(encoding);
    PSysText chars(text, encoding, wide, crlf);
    return wide ? SetWindowTextW(window, chars.w()) : SetWindowTextA(window, chars.a());
}

LONG PGetWindowLong(HWND window, int index) {
    return PUseWideCalls() ? GetWindowLongW(window, index) : GetWindowLongA(window, index);
}

LRESULT PComboAddString(HWND comboBox, const PString& text, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText chars(text, encoding, wide);
    return wide ? SendMessageW(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(chars.w()))
                : SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(chars.a()));
}

int PMessageBox(HWND owner, const PString& text, const PString& caption, UINT type,
                const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText body(text, encoding, wide);
    PSysText title(caption, encoding, wide);
    return wide ? MessageBoxW(owner, body.w(), title.w(), type)
                : MessageBoxA(owner, body.a(), title.a(), type);
}
