#include "installer/MyCWnd/mycworkarea.h"

HMONITOR MyMonitorUnderMouse() {
    POINT mouse{};  // unknown: (0, 0) lies on the primary monitor
    ::GetCursorPos(&mouse);
    return ::MonitorFromPoint(mouse, MONITOR_DEFAULTTOPRIMARY);
}

ScreenRect MyWorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && ::GetMonitorInfoW(monitor, &info)) return MyScreenRect(info.rcWork);
    RECT primary{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &primary, 0);
    return MyScreenRect(primary);
}

ScreenRect MyWorkAreaUnderMouse() {
    return MyWorkAreaOf(MyMonitorUnderMouse());
}

ScreenRect MyWorkAreaOf(const RECT& rect) {
    return MyWorkAreaOf(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
}
