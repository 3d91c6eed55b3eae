#include "installer/MyCWnd/myctopwindow.h"

#include <algorithm>

#include "installer/MyCWnd/mycbackground.h"
#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycscale.h"
#include "installer/MyCWnd/mycwnd.h"
#include "installer/MyCWnd/mycworkarea.h"
#include "installer/core/resourceids.h"
#include "installer/core/wizardscale.h"
#include "plib/perror.h"
#include "plib/win/presource.h"
#include "plib/winseam/pwidenarrow.h"

MyCTopWindow::MyCTopWindow() : brush_(::CreateSolidBrush(backgroundColour)) {}

MyCTopWindow::~MyCTopWindow() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        // The object is going: its window must not call back into it while being destroyed.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void MyCTopWindow::create(const wchar_t* className, const PString& title, HINSTANCE instance,
                          HICON icon) {
    const HMONITOR monitor = MyMonitorUnderMouse();
    const ScreenRect area = MyWorkAreaOf(monitor);
    const SIZE base = defaultSize();
    scale_ = MyScaleFor(MyMonitorDpi(monitor), area, base.cx, base.cy);
    fonts_ = std::make_unique<MyCFonts>(MySystemFontChoice(), scale_);
    makeBackground();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &MyCTopWindow::TopProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    wc.lpszClassName = className;
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw PSystemError("MyCTopWindow::create, RegisterClass",
                           static_cast<std::int32_t>(::GetLastError()));
    const SIZE size{scaled(base.cx), scaled(base.cy)};
    const ScreenPoint at = CentreInside(area, size.cx, size.cy);
    const HWND window = ::CreateWindowExW(0, className, PToWide(title).c_str(), WS_POPUP, at.x,
                                          at.y, size.cx, size.cy, nullptr, nullptr, instance, this);
    if (!window)
        throw PSystemError("MyCTopWindow::create, CreateWindowEx",
                           static_cast<std::int32_t>(::GetLastError()));
    MySetScale(window, scale_);
    MyHideFocusCues(window);
    ::SetWindowLongPtrW(window, GWL_STYLE, 0);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    resize(size.cx, size.cy);
    created();
}

int MyCTopWindow::scaled(int value) const noexcept {
    return Scaled(value, scale_);
}

void MyCTopWindow::dpiChanged(int dpi, const RECT& suggested) {
    const ScreenRect area = MyWorkAreaOf(suggested);
    const SIZE base = defaultSize();
    const int percent = MyScaleFor(dpi, area, base.cx, base.cy);
    if (percent == scale_) return;
    scale_ = percent;
    MySetScale(hwnd_, scale_);
    fonts_ = std::make_unique<MyCFonts>(fonts_->choice, scale_);
    makeBackground();
    const SIZE size{scaled(base.cx), scaled(base.cy)};
    const ScreenPoint at = KeepInside(area, suggested.left, suggested.top, size.cx, size.cy);
    ::SetWindowPos(hwnd_, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    rescaled();
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void MyCTopWindow::resize(int clientWidth, int clientHeight) {
    RECT window, client;
    ::GetWindowRect(hwnd_, &window);
    ::GetClientRect(hwnd_, &client);
    const int width = (window.right - window.left) + (clientWidth - client.right);
    const int height = (window.bottom - window.top) + (clientHeight - client.bottom);
    const int left = window.left - (width - (window.right - window.left)) / 2;
    const int top = window.top - (height - (window.bottom - window.top)) / 2;
    ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT MyCTopWindow::preHandler(UINT, WPARAM, LPARAM) {
    return 0;
}

BOOL MyCTopWindow::command(WPARAM, LPARAM) {
    return FALSE;
}

void MyCTopWindow::setBackgroundColour(COLORREF colour) {
    backgroundColour = colour;
    brush_.reset(::CreateSolidBrush(colour));
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

bool MyCTopWindow::loadBackground(HMODULE module, int id, int masterId) {
    picture_ = {};
    pictureModule_ = module;
    masterId_ = masterId;
    background_.reset();
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
    const auto bytes = PResourceBytes(module, id, kResourceType);
    if (bytes.empty()) return false;
    picture_ = DecodeJpeg(bytes.data(), bytes.size());
    // Before create() the picture is only decoded: create() draws it at the monitor's factor.
    if (hwnd_) makeBackground();
    return true;
}

void MyCTopWindow::makeBackground() {
    background_.reset();
    if (picture_.pixels.empty()) return;
    const int width = std::max(1, scaled(picture_.width));
    const int height = std::max(1, scaled(picture_.height));
    const auto master = scale_ != 100 && masterId_
                            ? PResourceBytes(pictureModule_, masterId_, kResourceType)
                            : std::span<const std::uint8_t>();
    background_ = master.empty()
                      ? MyPictureSection(picture_, width, height)
                      : MyPictureSection(DecodeJpeg(master.data(), master.size()), width, height);
}

BOOL MyCTopWindow::eraseBackground(HDC dc) {
    RECT client;
    ::GetClientRect(hwnd_, &client);
    ::FillRect(dc, &client, brush_.get());
    if (background_) {
        BITMAP info{};
        ::GetObjectW(background_.get(), sizeof info, &info);
        UniqueHdc memory(::CreateCompatibleDC(dc));
        const HGDIOBJ old = ::SelectObject(memory.get(), background_.get());
        ::BitBlt(dc, 0, 0, std::min<LONG>(info.bmWidth, client.right),
                 std::min<LONG>(info.bmHeight, client.bottom), memory.get(), 0, 0, SRCCOPY);
        ::SelectObject(memory.get(), old);
    }
    UniqueBrush frame(::CreateSolidBrush(kMyFrameColour));
    ::FrameRect(dc, &client, frame.get());
    return TRUE;
}

LRESULT CALLBACK MyCTopWindow::TopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MyCTopWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MyCTopWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return Caught(
        MyWindowProcRule(CatchPlace::kTopWindowProc), MyLogCaughtLine,
        [&] { return self->handle(window, message, wParam, lParam); },
        [&](const std::optional<std::string>&) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        });
}

LRESULT MyCTopWindow::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (const LRESULT answer = preHandler(message, wParam, lParam)) return answer;
    LRESULT reflected = 0;
    if (MyCWnd::Reflect(window, message, wParam, lParam, reflected)) return reflected;
    switch (message) {
        case WM_PAINT:
            paint();
            break;
        case WM_ERASEBKGND:
            if (eraseBackground(reinterpret_cast<HDC>(wParam))) return 1;
            break;
        case WM_COMMAND:
            if (command(wParam, lParam)) return 1;
            break;
        case WM_DPICHANGED:
            dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
