#include "installer/MyCWnd/mycfocus.h"

#include <gtest/gtest.h>

#include <vector>

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/myclinkcheckbox.h"
#include "testwindow.h"

namespace {

MSG KeyDown(HWND window, WPARAM key) {
    return MSG{window, WM_KEYDOWN, key, 0, 0, {}};
}

class FocusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        first_.create(parent_.hwnd(), 1, {10, 10, 110, 40}, "First", MyCButtonLook{});
        disabled_.create(parent_.hwnd(), 2, {10, 50, 110, 80}, "Disabled", MyCButtonLook{});
        hidden_.create(parent_.hwnd(), 3, {10, 90, 110, 120}, "Hidden", MyCButtonLook{});
        licence_.create(parent_.hwnd(), 151, {10, 130, 590, 154}, "I agree to the <a>terms</a>.",
                        MyCCheckLook{}, nullptr, RGB(0x08, 0x9B, 0x80), nullptr);
        last_.create(parent_.hwnd(), 4, {10, 170, 110, 200}, "Last", MyCButtonLook{});
        for (MyCWnd* control : std::vector<MyCWnd*>{&first_, &disabled_, &licence_, &last_})
            control->show(true);
        ::EnableWindow(disabled_.hwnd(), FALSE);
    }
    std::vector<HWND> walk(bool backwards) {
        std::vector<HWND> order;
        HWND at = nullptr;
        for (int i = 0; i < 5; ++i)
            order.push_back(at = MyNextTabStop(parent_.hwnd(), at, backwards));
        return order;
    }

    TestParent parent_;
    MyCButton first_, disabled_, hidden_, last_;
    MyCLinkCheckBox licence_;
};

TEST_F(FocusTest, TabVisitsVisibleEnabledStopsInOrderWithTheLinkAfterItsBox) {
    const HWND link = licence_.firstLink().hwnd();
    EXPECT_EQ(walk(false), (std::vector<HWND>{first_.hwnd(), licence_.hwnd(), link, last_.hwnd(),
                                              first_.hwnd()}));
    EXPECT_EQ(walk(true), (std::vector<HWND>{last_.hwnd(), link, licence_.hwnd(), first_.hwnd(),
                                             last_.hwnd()}));
}

TEST_F(FocusTest, TabKeyMovesTheFocusAndShiftTabComesBack) {
    ::SetFocus(first_.hwnd());
    EXPECT_TRUE(MyDialogKey(parent_.hwnd(), KeyDown(first_.hwnd(), VK_TAB)));
    EXPECT_EQ(::GetFocus(), licence_.hwnd());
    EXPECT_TRUE(MyDialogKey(parent_.hwnd(), KeyDown(licence_.hwnd(), VK_TAB)));
    EXPECT_EQ(::GetFocus(), licence_.firstLink().hwnd());
    BYTE keys[256];
    ::GetKeyboardState(keys);
    const BYTE shift = keys[VK_SHIFT];
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    MyDialogKey(parent_.hwnd(), KeyDown(licence_.firstLink().hwnd(), VK_TAB));
    keys[VK_SHIFT] = shift;
    ::SetKeyboardState(keys);
    EXPECT_EQ(::GetFocus(), licence_.hwnd());
}

TEST_F(FocusTest, OtherKeysAndOtherWindowsAreNotTaken) {
    ::SetFocus(first_.hwnd());
    EXPECT_FALSE(MyDialogKey(parent_.hwnd(), KeyDown(first_.hwnd(), VK_SPACE)));
    TestParent elsewhere;
    EXPECT_FALSE(MyDialogKey(parent_.hwnd(), KeyDown(elsewhere.hwnd(), VK_TAB)));
    EXPECT_EQ(::GetFocus(), first_.hwnd());
}

TEST_F(FocusTest, CuesStayHiddenUntilAKeyIsPressedInTheWindow) {
    MyHideFocusCues(parent_.hwnd());
    ::SetFocus(first_.hwnd());
    EXPECT_FALSE(MyFocusCuesShown(first_.hwnd()));
    EXPECT_FALSE(MyShowsFocusCue(first_.hwnd()));
    const MSG mouse{first_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0, 0, {}};
    MyDialogKey(parent_.hwnd(), mouse);
    EXPECT_FALSE(MyFocusCuesShown(first_.hwnd()));
    MyDialogKey(parent_.hwnd(), KeyDown(first_.hwnd(), VK_SPACE));
    EXPECT_TRUE(MyFocusCuesShown(parent_.hwnd()));
    EXPECT_TRUE(MyShowsFocusCue(first_.hwnd()));
    EXPECT_FALSE(MyShowsFocusCue(last_.hwnd())) << "only where the focus is";
}

TEST_F(FocusTest, AButtonLooksTheSameFocusedUntilTheCuesShow) {
    // One bitmap for every state: only the cue can tell focused from not.
    const HBITMAP face = MakeSolidBitmap(41, 30, RGB(0x30, 0x60, 0x90));
    MyCButtonLook look;
    look.skin = {face, face, face, nullptr};
    look.textColour = RGB(0xFF, 0xFF, 0xFF);
    MyCButton button;
    button.create(parent_.hwnd(), 9, {200, 10, 300, 40}, "", look);
    button.show(true);
    const auto drawn = [&] {
        TestCanvas canvas(100, 30);
        button.draw(canvas.dc(), MyCDrawState::kNormal);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 100; ++x) pixels.push_back(canvas.pixel(x, y));
        return pixels;
    };
    MyHideFocusCues(parent_.hwnd());
    const auto unfocused = drawn();
    ::SetFocus(button.hwnd());
    EXPECT_EQ(drawn(), unfocused) << "a mouse user's focus draws nothing new";
    MyDialogKey(parent_.hwnd(), KeyDown(button.hwnd(), VK_SPACE));
    const auto cued = drawn();
    EXPECT_NE(cued, unfocused);
    int cuePixels = 0;
    for (COLORREF pixel : cued) cuePixels += pixel == RGB(0xFF, 0xFF, 0xFF);
    EXPECT_GT(cuePixels, 20) << "a dotted frame in the text colour";
    ::DeleteObject(face);
}

}  // namespace
