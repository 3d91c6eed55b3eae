#include "installer/MyCWnd/mycworkarea.h"

namespace {

ScreenRect WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && ::GetMonitorInfoW(monitor, &info)) return MyScreenRect(info.rcWork);
    RECT primary{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &primary, 0);
    return MyScreenRect(primary);
}

}  // namespace

ScreenRect MyWorkAreaUnderMouse() {
    POINT mouse{};  // unknown: (0, 0) lies on the primary monitor
    ::GetCursorPos(&mouse);
    return WorkAreaOf(::MonitorFromPoint(mouse, MONITOR_DEFAULTTOPRIMARY));
}

ScreenRect MyWorkAreaOf(const RECT& rect) {
    return WorkAreaOf(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
}
