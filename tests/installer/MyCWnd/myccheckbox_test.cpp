#include "installer/MyCWnd/myccheckbox.h"

#include <gtest/gtest.h>

#include "installer/MyCWnd/mycbutton.h"
#include "testwindow.h"

namespace {

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

class CheckBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ticked_ = MakeSolidBitmap(24, 24, RGB(0x10, 0x80, 0x10));
        clear_ = MakeSolidBitmap(24, 24, RGB(0x80, 0x10, 0x10));
        look_.checked.normal = ticked_;
        look_.unchecked.normal = clear_;
        box_.create(parent_.hwnd(), 141, {10, 10, 300, 34}, "Desktop shortcut", look_);
        box_.show(true);
        elsewhere_.create(parent_.hwnd(), 5, {10, 60, 100, 90}, "x", MyCButtonLook{});
        elsewhere_.show(true);
    }
    void TearDown() override {
        ::DeleteObject(ticked_);
        ::DeleteObject(clear_);
    }
    void click(MyCCheckBox& box) {
        ::SendMessageW(box.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
        ::SendMessageW(box.hwnd(), WM_LBUTTONUP, 0, At(5, 5));
    }

    TestParent parent_;
    HBITMAP ticked_, clear_;
    MyCCheckLook look_;
    MyCCheckBox box_;
    MyCButton elsewhere_;
};

TEST_F(CheckBoxTest, ClickTogglesAndSendsTheCommandAtOnce) {
    click(box_);
    EXPECT_TRUE(box_.checked());
    ASSERT_EQ(parent_.commands.size(), 1u) << "sent, so there before any message is pumped";
    EXPECT_EQ(parent_.commands[0].id, 141);
    EXPECT_EQ(parent_.commands[0].code, 0);
    click(box_);
    EXPECT_FALSE(box_.checked());
    EXPECT_EQ(parent_.commands.size(), 2u);
}

TEST_F(CheckBoxTest, ReleaseWithoutTheFocusIsIgnored) {
    ::SendMessageW(box_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ::SetFocus(elsewhere_.hwnd());
    ::SendMessageW(box_.hwnd(), WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_FALSE(box_.checked());
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
}

TEST_F(CheckBoxTest, DisabledBoxIgnoresTheRelease) {
    ::SendMessageW(box_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ::EnableWindow(box_.hwnd(), FALSE);
    ::SendMessageW(box_.hwnd(), WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_FALSE(box_.checked());
    EXPECT_TRUE(parent_.commands.empty());
}

TEST_F(CheckBoxTest, ReleaseOutsideIsIgnored) {
    ::SendMessageW(box_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ::SendMessageW(box_.hwnd(), WM_LBUTTONUP, 0, At(5, 40));
    EXPECT_FALSE(box_.checked());
    EXPECT_TRUE(parent_.commands.empty());
}

TEST_F(CheckBoxTest, ManualBoxReportsTheClickButKeepsItsState) {
    MyCCheckBox manual;
    manual.create(parent_.hwnd(), 150, {10, 100, 300, 124}, "All users", look_, BS_CHECKBOX);
    click(manual);
    EXPECT_FALSE(manual.checked());
    ASSERT_EQ(parent_.commands.size(), 1u);
    EXPECT_EQ(parent_.commands[0].id, 150);
}

TEST_F(CheckBoxTest, SquareIsAsHighAsTheBoxAndTextStartsEightPixelsRight) {
    box_.setChecked(true);
    TestCanvas canvas(290, 24);
    canvas.fill(RGB(0xFF, 0xFF, 0xFF));
    ::SetFocus(elsewhere_.hwnd());
    box_.draw(canvas.dc(), MyCDrawState::kNormal);
    EXPECT_EQ(canvas.pixel(0, 0), RGB(0x10, 0x80, 0x10));
    EXPECT_EQ(canvas.pixel(23, 23), RGB(0x10, 0x80, 0x10));
    EXPECT_EQ(canvas.pixel(24, 12), RGB(0xFF, 0xFF, 0xFF));
    // Nothing between the square and the text's start.
    for (int x = 24; x < 32; ++x)
        for (int y = 0; y < 24; ++y) ASSERT_EQ(canvas.pixel(x, y), RGB(0xFF, 0xFF, 0xFF)) << x;
    bool text = false;
    for (int x = 32; x < 60 && !text; ++x)
        for (int y = 0; y < 24 && !text; ++y) text = canvas.pixel(x, y) != RGB(0xFF, 0xFF, 0xFF);
    EXPECT_TRUE(text);
}

TEST_F(CheckBoxTest, RadioButtonsOfAGroupSelectOneAtATime) {
    MyCRadioButton standard, custom;
    standard.create(parent_.hwnd(), 1201, {10, 140, 300, 167}, "Standard", look_);
    custom.create(parent_.hwnd(), 1202, {10, 190, 300, 217}, "Custom", look_);
    MyCRadioButton::Group({&standard, &custom});
    standard.setChecked(true);
    click(custom);
    EXPECT_TRUE(custom.checked());
    EXPECT_FALSE(standard.checked());
    click(custom);
    EXPECT_TRUE(custom.checked()) << "a selected radio button stays selected";
    ASSERT_EQ(parent_.commands.size(), 2u);
    EXPECT_EQ(parent_.commands[1].id, 1202);
}

}  // namespace

void PressSpace(HWND window) {
    ::SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(window, WM_KEYUP, VK_SPACE, 0);
}

TEST_F(CheckBoxTest, SpaceOnTheFocusedBoxDoesWhatAClickDoes) {
    ::SetFocus(box_.hwnd());
    PressSpace(box_.hwnd());
    EXPECT_TRUE(box_.checked());
    ASSERT_EQ(parent_.commands.size(), 1u) << "sent at once, as a click sends it";
    EXPECT_EQ(parent_.commands[0].id, 141);
    EXPECT_EQ(parent_.commands[0].code, 0);
    EXPECT_EQ(parent_.commands[0].lParam, 0);
    PressSpace(box_.hwnd());
    EXPECT_FALSE(box_.checked());
    PumpMessages();
    EXPECT_EQ(parent_.commands.size(), 2u) << "nothing more from the system's own button";
}

TEST_F(CheckBoxTest, SystemCheckStateIsTheDrawnFlag) {
    ::SetFocus(box_.hwnd());
    PressSpace(box_.hwnd());
    EXPECT_EQ(::SendMessageW(box_.hwnd(), BM_GETCHECK, 0, 0), BST_CHECKED);
    click(box_);
    EXPECT_EQ(::SendMessageW(box_.hwnd(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ::SendMessageW(box_.hwnd(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(box_.checked());
    TestCanvas canvas(290, 24);
    ::SetFocus(elsewhere_.hwnd());
    box_.draw(canvas.dc(), MyCDrawState::kNormal);
    EXPECT_EQ(canvas.pixel(5, 5), RGB(0x10, 0x80, 0x10)) << "drawn ticked";
}

TEST_F(CheckBoxTest, SpaceOnADisabledBoxChangesNothing) {
    ::SetFocus(box_.hwnd());
    ::EnableWindow(box_.hwnd(), FALSE);
    PressSpace(box_.hwnd());
    EXPECT_FALSE(box_.checked());
    EXPECT_TRUE(parent_.commands.empty());
}

TEST(RadioButtonKeysTest, SpaceSelectsTheFocusedChoiceAndClearsTheOther) {
    TestParent parent;
    MyCCheckLook look;
    MyCRadioButton standard, custom;
    standard.create(parent.hwnd(), 1201, {10, 10, 300, 37}, "Standard", look);
    custom.create(parent.hwnd(), 1202, {10, 50, 300, 77}, "Custom", look);
    MyCRadioButton::Group({&standard, &custom});
    standard.setChecked(true);
    standard.show(true);
    custom.show(true);
    ::SetFocus(custom.hwnd());
    PressSpace(custom.hwnd());
    EXPECT_TRUE(custom.checked());
    EXPECT_FALSE(standard.checked());
    EXPECT_EQ(::SendMessageW(standard.hwnd(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ASSERT_EQ(parent.commands.size(), 1u);
    EXPECT_EQ(parent.commands[0].id, 1202);
}
