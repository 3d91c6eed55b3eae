#include "installer/MyCWnd/mycscale.h"

#include <gtest/gtest.h>

#include "installer/MyCWnd/mycbutton.h"
#include "testwindow.h"

TEST(MyCScale, ControlsTakeTheFactorOfTheirTopLevelWindow) {
    TestParent top;
    const HWND child =
        MyCreateChild(L"STATIC", L"", WS_CHILD, top.hwnd(), 1, {0, 0, 10, 10}, "test child");
    EXPECT_EQ(MyScaleOf(child), 100) << "a window without a factor is drawn at 100 %";
    MySetScale(top.hwnd(), 175);
    EXPECT_EQ(MyScaleOf(top.hwnd()), 175);
    EXPECT_EQ(MyScaleOf(child), 175);
    EXPECT_EQ(MyScaled(child, 21), 37);  // 36.75
    EXPECT_EQ(MyScaled(child, -8), -14);
}

TEST(MyCScale, RectanglesThatTouchKeepTouching) {
    // Scaling each size on its own would give 11 + 11 pixels and a gap or overlap.
    const RECT left = MyScaledRect({0, 0, 7, 7}, 150);
    const RECT right = MyScaledRect({7, 0, 15, 7}, 150);
    EXPECT_EQ(left.right, right.left);
    EXPECT_EQ(left.right, 11);   // 10.5 rounded away from zero
    EXPECT_EQ(right.right, 23);  // 22.5
}

TEST(MyCScale, MonitorDpiIsTheOneTheSystemReports) {
    const HMONITOR primary = ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const HDC screen = ::GetDC(nullptr);
    const int screenDpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(MyMonitorDpi(primary), screenDpi);
    EXPECT_EQ(MyMonitorDpi(nullptr), screenDpi) << "without a monitor: the screen's";
}
