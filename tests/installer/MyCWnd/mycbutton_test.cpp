#include "installer/MyCWnd/mycbutton.h"

#include <gtest/gtest.h>

#include "testwindow.h"

namespace {

constexpr COLORREF kRed = RGB(0xC0, 0x10, 0x10);
constexpr COLORREF kGreen = RGB(0x10, 0xC0, 0x10);
constexpr COLORREF kBlue = RGB(0x10, 0x10, 0xC0);
constexpr COLORREF kPage = RGB(0xFA, 0xFA, 0xFA);

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

class ButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        normal_ = MakeSolidBitmap(41, 30, kRed);
        hover_ = MakeSolidBitmap(41, 30, kGreen);
        pressed_ = MakeSolidBitmap(41, 30, kBlue);
        MyCButtonLook look;
        look.skin = {normal_, hover_, pressed_, nullptr};
        look.background = kPage;
        button_.create(parent_.hwnd(), 42, {10, 10, 110, 40}, "OK", look);
        button_.show(true);
        other_.create(parent_.hwnd(), 43, {10, 50, 110, 80}, "Other", look);
        other_.show(true);
    }
    void TearDown() override {
        ::DeleteObject(normal_);
        ::DeleteObject(hover_);
        ::DeleteObject(pressed_);
    }
    COLORREF drawnAt(MyCDrawState state, int x, int y) {
        TestCanvas canvas(100, 30);
        button_.draw(canvas.dc(), state);
        return canvas.pixel(x, y);
    }

    TestParent parent_;
    HBITMAP normal_, hover_, pressed_;
    MyCButton button_;
    MyCButton other_;
};

TEST_F(ButtonTest, ReleaseInsidePostsTheCommandToTheParent) {
    ::SendMessageW(button_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_TRUE(button_.pressed());
    EXPECT_EQ(::GetCapture(), button_.hwnd());
    EXPECT_EQ(button_.drawState(), MyCDrawState::kPressed);
    ::SendMessageW(button_.hwnd(), WM_LBUTTONUP, 0, At(99, 29));
    EXPECT_FALSE(button_.pressed());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(parent_.commands.empty()) << "posted, not sent";
    PumpMessages();
    ASSERT_EQ(parent_.commands.size(), 1u);
    EXPECT_EQ(parent_.commands[0].id, 42);
    EXPECT_EQ(parent_.commands[0].code, 0);
    EXPECT_EQ(parent_.commands[0].lParam, 0);
}

TEST_F(ButtonTest, ReleaseOutsideSendsNothing) {
    const LPARAM outside[] = {At(100, 5), At(5, 30), At(-1, 5), At(5, -3)};
    for (const LPARAM at : outside) {
        ::SendMessageW(button_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
        ::SendMessageW(button_.hwnd(), WM_LBUTTONUP, 0, at);
        EXPECT_FALSE(button_.pressed());
    }
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
}

TEST_F(ButtonTest, ReleaseWithoutPressOnTheButtonSendsNothing) {
    ::SendMessageW(button_.hwnd(), WM_LBUTTONUP, 0, At(5, 5));
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
}

TEST_F(ButtonTest, DoubleClickPressesLikeAClick) {
    ::SendMessageW(button_.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
    ::SendMessageW(button_.hwnd(), WM_LBUTTONUP, 0, At(5, 5));
    PumpMessages();
    ASSERT_EQ(parent_.commands.size(), 1u);
    EXPECT_EQ(parent_.commands[0].id, 42);
}

TEST_F(ButtonTest, LosingTheCaptureCancelsThePress) {
    ::SendMessageW(button_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ::SetCapture(other_.hwnd());
    EXPECT_FALSE(button_.pressed());
    ::SendMessageW(button_.hwnd(), WM_LBUTTONUP, 0, At(5, 5));
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
    ::ReleaseCapture();
}

TEST_F(ButtonTest, SkinFollowsTheState) {
    ::SetFocus(other_.hwnd());
    EXPECT_EQ(drawnAt(MyCDrawState::kNormal, 5, 15), kRed);
    EXPECT_EQ(drawnAt(MyCDrawState::kHovered, 5, 15), kGreen);
    EXPECT_EQ(drawnAt(MyCDrawState::kPressed, 5, 15), kBlue);
    ::SetFocus(button_.hwnd());
    EXPECT_EQ(drawnAt(MyCDrawState::kNormal, 5, 15), kGreen);
}

TEST_F(ButtonTest, DisabledButtonWithoutDisabledBitmapKeepsNormalOrFocusBitmap) {
    ::SetFocus(other_.hwnd());
    ::EnableWindow(button_.hwnd(), FALSE);
    EXPECT_EQ(drawnAt(MyCDrawState::kNormal, 5, 15), kRed);
    EXPECT_EQ(drawnAt(MyCDrawState::kHovered, 5, 15), kGreen);
}

TEST_F(ButtonTest, ButtonIsCreatedWithTheToolkitStyle) {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(button_.hwnd(), GWL_STYLE));
    EXPECT_EQ(style & ~WS_VISIBLE, kMyButtonStyle);
    EXPECT_EQ(button_.getText(), "OK");
}

TEST(ImageButtonTest, PressedImageMovesTwoPixelsAndKeyColourStaysOut) {
    TestParent parent;
    const HBITMAP image = MakeColumnBitmap(
        10, 10, [](int x) { return x == 9 ? RGB(0xFF, 0xFF, 0xFF) : RGB(0x10, 0x10, 0xC0); });
    MyCButtonLook look;
    look.skin.normal = image;
    look.skin.pressed = image;
    look.imageOnly = true;
    look.background = RGB(0xF5, 0xF5, 0xF5);
    MyCButton button;
    button.create(parent.hwnd(), 8, {0, 0, 14, 14}, "", look);
    TestCanvas canvas(14, 14);
    button.draw(canvas.dc(), MyCDrawState::kNormal);
    EXPECT_EQ(canvas.pixel(0, 0), RGB(0x10, 0x10, 0xC0));
    EXPECT_EQ(canvas.pixel(9, 0), RGB(0xF5, 0xF5, 0xF5)) << "key colour drawn";
    button.draw(canvas.dc(), MyCDrawState::kPressed);
    EXPECT_EQ(canvas.pixel(1, 1), RGB(0xF5, 0xF5, 0xF5));
    EXPECT_EQ(canvas.pixel(2, 2), RGB(0x10, 0x10, 0xC0));
    ::DeleteObject(image);
}

TEST(CloseButtonTest, DrawsABlackCrossFromCornerToCorner) {
    TestParent parent;
    MyCCloseButton button;
    MyCButtonLook look;
    look.background = RGB(0xF5, 0xF5, 0xF5);
    button.create(parent.hwnd(), 8, {0, 0, 14, 14}, "", look);
    TestCanvas canvas(14, 14);
    button.draw(canvas.dc(), MyCDrawState::kNormal);
    EXPECT_EQ(canvas.pixel(7, 7), RGB(0, 0, 0));
    EXPECT_EQ(canvas.pixel(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.pixel(12, 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.pixel(7, 1), RGB(0xF5, 0xF5, 0xF5));
}

TEST(ToolkitObjectTest, DestroyedObjectUnhooksItsWindow) {
    TestParent parent;
    HWND window = nullptr;
    {
        MyCButton button;
        button.create(parent.hwnd(), 9, {0, 0, 50, 20}, "x", MyCButtonLook{});
        window = button.hwnd();
        EXPECT_EQ(MyCWnd::FromWindow(window), &button);
    }
    EXPECT_EQ(MyCWnd::FromWindow(window), nullptr);
    // The window works on without its object.
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ::SendMessageW(window, WM_LBUTTONUP, 0, At(5, 5));
    ::DestroyWindow(window);
}

}  // namespace

// Keys as the message loop delivers them to the focused button.
void Key(HWND window, UINT message, WPARAM key, bool repeated = false) {
    ::SendMessageW(window, message, key, repeated ? (1L << 30) : 0);
}

TEST_F(ButtonTest, SpacePressesOnDownAndPostsTheClickOnRelease) {
    ::SetFocus(button_.hwnd());
    Key(button_.hwnd(), WM_KEYDOWN, VK_SPACE);
    EXPECT_TRUE(button_.pressed());
    Key(button_.hwnd(), WM_KEYDOWN, VK_SPACE, /*repeated=*/true);
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
    Key(button_.hwnd(), WM_KEYUP, VK_SPACE);
    EXPECT_FALSE(button_.pressed());
    PumpMessages();
    ASSERT_EQ(parent_.commands.size(), 1u) << "one click, repeats aside";
    EXPECT_EQ(parent_.commands[0].id, 42);
    EXPECT_EQ(parent_.commands[0].code, 0);
    EXPECT_EQ(parent_.commands[0].lParam, 0) << "the same command a click posts";
}

TEST_F(ButtonTest, EnterPostsTheClickOnItsPress) {
    ::SetFocus(button_.hwnd());
    Key(button_.hwnd(), WM_KEYDOWN, VK_RETURN);
    Key(button_.hwnd(), WM_KEYDOWN, VK_RETURN, /*repeated=*/true);
    EXPECT_FALSE(button_.pressed());
    PumpMessages();
    ASSERT_EQ(parent_.commands.size(), 1u);
    EXPECT_EQ(parent_.commands[0].id, 42);
    EXPECT_EQ(parent_.commands[0].lParam, 0);
    Key(button_.hwnd(), WM_KEYUP, VK_RETURN);
    PumpMessages();
    EXPECT_EQ(parent_.commands.size(), 1u);
}

TEST_F(ButtonTest, ReleaseOfAKeyThatDidNotPressDoesNothing) {
    ::SetFocus(button_.hwnd());
    Key(button_.hwnd(), WM_KEYUP, VK_SPACE);
    Key(button_.hwnd(), WM_KEYDOWN, VK_SPACE);
    Key(button_.hwnd(), WM_KEYUP, VK_TAB);
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
    EXPECT_TRUE(button_.pressed());
}

TEST_F(ButtonTest, LosingTheFocusCancelsAKeyPress) {
    ::SetFocus(button_.hwnd());
    Key(button_.hwnd(), WM_KEYDOWN, VK_SPACE);
    ::SetFocus(other_.hwnd());
    EXPECT_FALSE(button_.pressed());
    Key(button_.hwnd(), WM_KEYUP, VK_SPACE);
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
}

TEST_F(ButtonTest, DisabledButtonIgnoresKeys) {
    ::SetFocus(button_.hwnd());
    ::EnableWindow(button_.hwnd(), FALSE);
    for (const WPARAM key : {VK_SPACE, VK_RETURN}) {
        Key(button_.hwnd(), WM_KEYDOWN, key);
        Key(button_.hwnd(), WM_KEYUP, key);
    }
    PumpMessages();
    EXPECT_TRUE(parent_.commands.empty());
}

TEST_F(ButtonTest, AsksTheDialogManagerForEnterOnly) {
    MSG enter{button_.hwnd(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    MSG tab{button_.hwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    const auto code = [&](MSG& key) {
        return ::SendMessageW(button_.hwnd(), WM_GETDLGCODE, key.wParam,
                              reinterpret_cast<LPARAM>(&key));
    };
    EXPECT_TRUE(code(enter) & DLGC_WANTMESSAGE);
    EXPECT_FALSE(code(tab) & (DLGC_WANTMESSAGE | DLGC_WANTTAB));
}
