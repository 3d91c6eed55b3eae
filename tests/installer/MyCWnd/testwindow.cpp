#include "testwindow.h"

#include "installer/MyCWnd/mycwnd.h"

namespace {
constexpr wchar_t kClass[] = L"ZembricoToolkitTestParent";
}

TestParent::TestParent(bool visible) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TestParent::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::RegisterClassW(&wc);
    window_ = ::CreateWindowExW(0, kClass, L"test parent", WS_POPUP | (visible ? WS_VISIBLE : 0),
                                100, 100, 600, 400, nullptr, nullptr, wc.hInstance, this);
}

TestParent::~TestParent() {
    ::DestroyWindow(window_);
}

LRESULT CALLBACK TestParent::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<TestParent*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT reflected = 0;
    if (MyCWnd::Reflect(window, message, wParam, lParam, reflected)) return reflected;
    if (message == WM_COMMAND && self) {
        self->commands.push_back({LOWORD(wParam), HIWORD(wParam), lParam});
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

HBITMAP MakeColumnBitmap(int width, int height, COLORREF (*columnColour)(int)) {
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) ::SetPixel(dc, x, y, columnColour(x));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

namespace {
COLORREF solidColour;
}

HBITMAP MakeSolidBitmap(int width, int height, COLORREF colour) {
    solidColour = colour;
    return MakeColumnBitmap(width, height, [](int) { return solidColour; });
}

TestCanvas::TestCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc_ = ::CreateCompatibleDC(nullptr);
    old_ = ::SelectObject(dc_, bitmap_);
}

TestCanvas::~TestCanvas() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
    ::DeleteObject(bitmap_);
}

COLORREF TestCanvas::pixel(int x, int y) const {
    return ::GetPixel(dc_, x, y);
}

void TestCanvas::fill(COLORREF colour) {
    const RECT all{0, 0, width_, height_};
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc_, &all, brush);
    ::DeleteObject(brush);
}
