#include "installer/MyCWnd/mycstatictext.h"

#include <gtest/gtest.h>

#include "testwindow.h"

namespace {

TEST(StaticTextTest, CreatedAsTransparentChildThatKeepsItsPage) {
    TestParent parent;
    MyCStaticText text;
    text.create(parent.hwnd(), 10, {0, 0, 200, 40}, "Label", SS_CENTER, nullptr,
                RGB(0x66, 0x66, 0x66));
    const auto style = ::GetWindowLongPtrW(text.hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_CLIPSIBLINGS);
    EXPECT_EQ(::SendMessageW(text.hwnd(), WM_ERASEBKGND, 0, 0), 1);
    text.show(true);
    EXPECT_TRUE(text.visible());
    text.show(false);
    EXPECT_FALSE(text.visible());
}

TEST(LinkTextTest, HoverEnteredAndLeftTrackTheUnderline) {
    TestParent parent;
    MyCLinkText link;
    link.create(parent.hwnd(), 11, {0, 0, 120, 24}, "terms", SS_NOTIFY, nullptr, kMyLinkColour);
    link.show(true);
    EXPECT_FALSE(link.hovered());
    ::SendMessageW(link.hwnd(), WM_MOUSEHOVER, 0, 0);
    EXPECT_TRUE(link.hovered());
    EXPECT_TRUE(link.underlined());
    ::SendMessageW(link.hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(link.underlined());
}

TEST(LinkTextTest, UnderlineIsThreePixelsAboveTheBottomAndStopsTwoBeforeTheRight) {
    TestParent parent(/*visible=*/true);
    MyCLinkText link;
    link.create(parent.hwnd(), 11, {0, 0, 120, 24}, "", SS_NOTIFY, nullptr, kMyLinkColour);
    link.show(true);
    ::SendMessageW(link.hwnd(), WM_MOUSEHOVER, 0, 0);
    // The underline is drawn in WM_PAINT; render through a redraw into the window and read back.
    ::RedrawWindow(link.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const HDC dc = ::GetDC(link.hwnd());
    EXPECT_EQ(::GetPixel(dc, 0, 21), kMyLinkColour);
    EXPECT_EQ(::GetPixel(dc, 117, 21), kMyLinkColour);
    EXPECT_NE(::GetPixel(dc, 118, 21), kMyLinkColour);
    EXPECT_NE(::GetPixel(dc, 50, 22), kMyLinkColour);
    EXPECT_NE(::GetPixel(dc, 50, 20), kMyLinkColour);
    ::ReleaseDC(link.hwnd(), dc);
}

}  // namespace
