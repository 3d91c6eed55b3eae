#include "installer/MyCWnd/myccombobox.h"

#include <gtest/gtest.h>

#include "installer/MyCWnd/mycprogressbar.h"
#include "plib/perror.h"
#include "testwindow.h"

namespace {

class ComboBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        arrow_ = MakeSolidBitmap(12, 8, RGB(0x20, 0x20, 0x20));
        look_.arrowClosed = arrow_;
        look_.arrowOpen = arrow_;
        list_.create(parent_.hwnd(), 1001, {10, 10, 310, 46}, 150, look_);
        list_.addItem("English");
        list_.addItem("Deutsch");
    }
    void TearDown() override { ::DeleteObject(arrow_); }
    int height() const {
        RECT rect;
        ::GetWindowRect(list_.hwnd(), &rect);
        return rect.bottom - rect.top;
    }
    void notify(int code) {
        ::SendMessageW(parent_.hwnd(), WM_COMMAND, MAKEWPARAM(1001, code),
                       reinterpret_cast<LPARAM>(list_.hwnd()));
    }

    TestParent parent_;
    HBITMAP arrow_;
    MyCComboLook look_;
    MyCComboBox list_;
};

TEST_F(ComboBoxTest, KeepsItsHeight) {
    const int own = height();
    ::SetWindowPos(list_.hwnd(), nullptr, 0, 0, 300, own + 40, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(height(), own);
}

TEST_F(ComboBoxTest, NotificationsReachTheListAndStillTheParent) {
    notify(CBN_DROPDOWN);
    EXPECT_TRUE(list_.droppedDown());
    notify(CBN_CLOSEUP);
    EXPECT_FALSE(list_.droppedDown());
    ::SendMessageW(list_.hwnd(), CB_SETCURSEL, 1, 0);
    notify(CBN_SELCHANGE);
    EXPECT_EQ(list_.selection(), 1);
    ASSERT_EQ(parent_.commands.size(), 3u);
    EXPECT_EQ(parent_.commands[2].code, CBN_SELCHANGE);
}

TEST_F(ComboBoxTest, FaceNeedsItsArrow) {
    MyCComboBox bare;
    bare.create(parent_.hwnd(), 1002, {10, 60, 310, 96}, 150, MyCComboLook{});
    TestCanvas canvas(300, 36);
    EXPECT_THROW(bare.drawFace(canvas.dc()), PAssert);
    // At the window procedure the failure is caught: painting goes on.
    ::SendMessageW(bare.hwnd(), WM_PAINT, 0, 0);
}

TEST_F(ComboBoxTest, ItemsAreDrawnSelectedOnGreyOtherwiseOnWhite) {
    TestCanvas canvas(300, 60);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.CtlID = 1001;
    item.hwndItem = list_.hwnd();
    item.hDC = canvas.dc();
    item.itemID = 0;
    item.rcItem = {0, 0, 300, 30};
    item.itemState = ODS_SELECTED;
    ::SendMessageW(parent_.hwnd(), WM_DRAWITEM, 1001, reinterpret_cast<LPARAM>(&item));
    item.itemID = 1;
    item.rcItem = {0, 30, 300, 60};
    item.itemState = 0;
    ::SendMessageW(parent_.hwnd(), WM_DRAWITEM, 1001, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(canvas.pixel(2, 2), RGB(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(canvas.pixel(2, 32), RGB(0xFF, 0xFF, 0xFF));
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_COMBOBOX;
    measure.CtlID = 1001;
    EXPECT_TRUE(
        ::SendMessageW(parent_.hwnd(), WM_MEASUREITEM, 1001, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(look_.itemHeight));
}

TEST(ProgressBarTest, PercentIsClampedAndFillsItsShare) {
    TestParent parent(/*visible=*/true);
    MyCProgressBar bar;
    bar.create(parent.hwnd(), 114, {0, 0, 200, 6}, nullptr, nullptr);
    bar.show(true);
    const int cases[][2] = {{150, 100}, {-2, 0}, {40, 40}};
    for (const auto& c : cases) {
        bar.setPercent(c[0]);
        EXPECT_EQ(bar.percent(), c[1]);
    }
    EXPECT_EQ(MyCProgressBar::FillWidth(600, 40), 240);
    ::RedrawWindow(bar.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const HDC dc = ::GetDC(bar.hwnd());
    const COLORREF done = ::GetPixel(dc, 79, 3);
    const COLORREF left = ::GetPixel(dc, 80, 3);
    const COLORREF end = ::GetPixel(dc, 199, 3);
    ::ReleaseDC(bar.hwnd(), dc);
    EXPECT_NE(done, left) << "fill ends at 40% of 200 pixels";
    EXPECT_EQ(left, end);
}

}  // namespace
