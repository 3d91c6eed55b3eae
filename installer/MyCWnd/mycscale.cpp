#include "installer/MyCWnd/mycscale.h"

#include "installer/core/wizardscale.h"
#include "plib/winseam/plibrary.h"
#include "plib/winseam/unique.h"

namespace {

constexpr wchar_t kScaleProperty[] = L"MyCWnd.Scale";
constexpr int kSystemDpi = 96;

// Only where the system has per-monitor DPI (8.1 and later); looked up once.
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

GetDpiForMonitorFunction DpiForMonitor() {
    static const PLibrary shcore("shcore.dll", PLibrarySearch::kSystemDirectory);
    static const auto function = shcore.function<GetDpiForMonitorFunction>("GetDpiForMonitor");
    return function;
}

int ScreenDpi() {
    UniqueWindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kSystemDpi;
}

}  // namespace

void MySetScale(HWND top, int percent) {
    ::SetPropW(top, kScaleProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(percent)));
}

int MyScaleOf(HWND window) {
    const HWND top = ::GetAncestor(window, GA_ROOT);
    const auto percent =
        static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(top ? top : window, kScaleProperty)));
    return percent > 0 ? percent : 100;
}

int MyScaled(HWND window, int value) {
    return Scaled(value, MyScaleOf(window));
}

RECT MyScaledRect(const RECT& rect, int percent) {
    return {Scaled(rect.left, percent), Scaled(rect.top, percent), Scaled(rect.right, percent),
            Scaled(rect.bottom, percent)};
}

int MyMonitorDpi(HMONITOR monitor) {
    UINT x = 0, y = 0;
    if (const auto function = DpiForMonitor();
        function && monitor && SUCCEEDED(function(monitor, kEffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return ScreenDpi();
}

int MyScaleFor(int dpi, const ScreenRect& area, int width, int height) {
    return WizardScale(dpi, area.right - area.left, area.bottom - area.top, width, height);
}
