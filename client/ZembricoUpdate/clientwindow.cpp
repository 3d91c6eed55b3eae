#include "client/ZembricoUpdate/clientwindow.h"

#include "client/common/clientsystem.h"
#include "plib/perror.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr int kWidth = 480;
constexpr int kLineHeight = 28;
constexpr int kMargin = 16;

}  // namespace

ClientWindow::ClientWindow(const std::string& windowClass, const std::string& title,
                           const std::vector<std::string>& lines)
    : className_(PToWide(windowClass.c_str())) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW registered{};
    registered.lpfnWndProc = Procedure;
    registered.hInstance = instance;
    registered.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    registered.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    registered.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    registered.lpszClassName = className_.c_str();
    if (!RegisterClassW(&registered))
        throw PSystemError("RegisterClass", static_cast<std::int32_t>(GetLastError()));

    RECT frame{0, 0, kWidth, 2 * kMargin + kLineHeight * static_cast<int>(lines.size())};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    window_ = CreateWindowExW(0, className_.c_str(), PToWide(title.c_str()).c_str(), style,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window_) throw PSystemError("CreateWindow", static_cast<std::int32_t>(GetLastError()));
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    for (size_t i = 0; i < lines.size(); ++i) {
        const HWND line = CreateWindowExW(
            0, L"STATIC", PToWide(lines[i].c_str()).c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT,
            kMargin, kMargin + kLineHeight * static_cast<int>(i), kWidth - 2 * kMargin, kLineHeight,
            window_, nullptr, instance, nullptr);
        SendMessageW(line, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

ClientWindow::~ClientWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    UnregisterClassW(className_.c_str(), GetModuleHandleW(nullptr));
}

int ClientWindow::run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK ClientWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
            // The lines sit on the window's own background rather than the dialog grey.
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
