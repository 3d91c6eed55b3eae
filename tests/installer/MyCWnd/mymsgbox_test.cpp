#include "installer/MyCWnd/mymsgbox.h"

#include <gtest/gtest.h>

#include <functional>

#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycscale.h"
#include "testwindow.h"

namespace {

// Runs `action` once the box's loop runs, from a timer dispatched by that loop.
std::function<void(HWND box)> pendingAction;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND box = ::FindWindowW(L"MyMsgBox", nullptr);
    if (!box) return;  // not shown yet: try again on the next tick
    ::KillTimer(nullptr, timer);
    auto action = std::move(pendingAction);
    action(box);
}

int RunWith(const MyMsgBoxRequest& request, std::function<void(HWND box)> action, int width = 360,
            int height = 320) {
    pendingAction = std::move(action);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &OnTimer);
    const int result = MyMsgBox::Run(request, width, height);
    ::KillTimer(nullptr, timer);
    return result;
}

void Click(HWND box, int id) {
    const HWND button = ::GetDlgItem(box, id);
    ASSERT_NE(button, nullptr) << id;
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// Client-area top of child `id` of `box`.
int ChildTop(HWND box, int id) {
    RECT rect;
    ::GetWindowRect(::GetDlgItem(box, id), &rect);
    ::MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&rect), 2);
    return rect.top;
}

class MsgBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        skin_ = MakeSolidBitmap(41, 46, RGB(0x20, 0x60, 0x50));
        close_ = MakeSolidBitmap(13, 14, RGB(0x30, 0x30, 0x30));
        request_.owner = owner_.hwnd();
        request_.title = "Quit";
        request_.message = "Do you really want to quit the installation?";
        request_.firstButton = "Yes";
        request_.secondButton = "No";
        request_.firstLook.skin.normal = skin_;
        request_.secondLook.skin.normal = skin_;
        request_.closeSkin.normal = close_;
        request_.icon = IDI_QUESTION;
    }
    void TearDown() override {
        ::DeleteObject(skin_);
        ::DeleteObject(close_);
    }
    TestParent owner_;
    HBITMAP skin_, close_;
    MyMsgBoxRequest request_;
};

TEST_F(MsgBoxTest, ButtonsAndCloseActionsGiveTheirResults) {
    EXPECT_EQ(RunWith(request_, [](HWND box) { Click(box, 6); }), 6);
    EXPECT_EQ(RunWith(request_, [](HWND box) { Click(box, 7); }), 7);
    EXPECT_EQ(RunWith(request_, [](HWND box) { Click(box, 8); }), 8);
    EXPECT_EQ(RunWith(request_, [](HWND box) { ::SendMessageW(box, WM_CLOSE, 0, 0); }), 8);
    request_.imageCloseButton = false;
    EXPECT_EQ(RunWith(request_, [](HWND box) { Click(box, 8); }), 8);
}

TEST_F(MsgBoxTest, AltF4ClosesWithTheCloseResult) {
    const int result = RunWith(request_, [](HWND box) {
        // Alt held: bit 29 of the key message's second parameter.
        ::PostMessageW(::GetFocus() ? ::GetFocus() : box, WM_SYSKEYDOWN, VK_F4,
                       static_cast<LPARAM>(1 | (1u << 29)));
    });
    EXPECT_EQ(result, 8);
}

TEST_F(MsgBoxTest, KeyboardReachesTheButtons) {
    EXPECT_EQ(RunWith(request_,
                      [](HWND box) {
                          ::PostMessageW(::GetFocus() ? ::GetFocus() : box, WM_KEYDOWN, VK_ESCAPE,
                                         1);
                      }),
              8);
    EXPECT_EQ(RunWith(request_,
                      [](HWND box) {
                          ::SetFocus(::GetDlgItem(box, 7));
                          ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
                      }),
              7);
}

TEST_F(MsgBoxTest, TwoButtonLayoutAndWindowLook) {
    RunWith(request_, [](HWND box) {
        RECT client;
        ::GetClientRect(box, &client);
        EXPECT_EQ(ChildTop(box, 6), client.bottom - 126);
        EXPECT_EQ(ChildTop(box, 7), client.bottom - 66);
        RECT first;
        ::GetWindowRect(::GetDlgItem(box, 6), &first);
        EXPECT_EQ(first.right - first.left, 320);
        EXPECT_EQ(first.bottom - first.top, 46) << "height of the skin";
        EXPECT_EQ(ChildTop(box, 8), 21);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(box, 6));
        // The system adds WS_CLIPSIBLINGS to every top-level window.
        EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(box, GWL_STYLE)) & ~WS_CLIPSIBLINGS,
                  0x90880000u);
        EXPECT_TRUE(::GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
        EXPECT_EQ(::SendMessageW(box, WM_NCHITTEST, 0, MAKELPARAM(200, 200)), HTCAPTION);
        wchar_t title[32] = {};
        ::GetWindowTextW(box, title, 32);
        EXPECT_STREQ(title, L"Quit");
        ::PostMessageW(box, WM_CLOSE, 0, 0);
    });
}

TEST_F(MsgBoxTest, OneButtonSitsHundredPixelsAboveTheBottom) {
    request_.secondButton = "";
    RunWith(request_, [](HWND box) {
        RECT client;
        ::GetClientRect(box, &client);
        EXPECT_EQ(ChildTop(box, 6), client.bottom - 100);
        EXPECT_EQ(::GetDlgItem(box, 7), nullptr);
        ::PostMessageW(box, WM_CLOSE, 0, 0);
    });
}

TEST_F(MsgBoxTest, BoxIsDrawnAtItsOwnersFactor) {
    MySetScale(owner_.hwnd(), 150);
    RunWith(request_, [](HWND box) {
        RECT window, client, first;
        ::GetWindowRect(box, &window);
        ::GetClientRect(box, &client);
        EXPECT_EQ(window.right - window.left, 540);
        EXPECT_EQ(window.bottom - window.top, 480);
        EXPECT_EQ(MyScaleOf(box), 150);
        EXPECT_EQ(ChildTop(box, 6), client.bottom - 189);
        EXPECT_EQ(ChildTop(box, 7), client.bottom - 99);
        ::GetWindowRect(::GetDlgItem(box, 6), &first);
        ::MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&first), 2);
        EXPECT_EQ(first.left, 30);
        EXPECT_EQ(first.right - first.left, 480);
        EXPECT_EQ(first.bottom - first.top, 46) << "the skin's height: skins come at the factor";
        RECT close;
        ::GetWindowRect(::GetDlgItem(box, 8), &close);
        ::MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&close), 2);
        EXPECT_EQ(close.left, client.right - 38);  // 37.5
        EXPECT_EQ(close.top, 32);                  // 31.5
        EXPECT_EQ(close.bottom, 53);               // (21 + 14) * 1.5 = 52.5
        ::PostMessageW(box, WM_CLOSE, 0, 0);
    });
}

TEST_F(MsgBoxTest, OwnerIsDisabledOnlyWhileTheLoopRuns) {
    bool enabledDuring = true;
    RunWith(request_, [&](HWND box) {
        enabledDuring = ::IsWindowEnabled(owner_.hwnd());
        Click(box, 6);
    });
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(owner_.hwnd()));
    EXPECT_EQ(::FindWindowW(L"MyMsgBox", nullptr), nullptr) << "box destroyed";
}

TEST_F(MsgBoxTest, BoxIsCentredOverItsOwner) {
    RunWith(
        request_,
        [&](HWND box) {
            RECT owner, rect;
            ::GetWindowRect(owner_.hwnd(), &owner);
            ::GetWindowRect(box, &rect);
            EXPECT_EQ(rect.left, (owner.left + owner.right - 390) / 2);
            EXPECT_EQ(rect.top, (owner.top + owner.bottom - 380) / 2);
            EXPECT_EQ(rect.right - rect.left, 390);
            Click(box, 6);
        },
        390, 380);
}

TEST_F(MsgBoxTest, BoxOverAnOwnerDraggedOffTheWorkAreaStaysInsideIt) {
    RECT area;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    const auto within = [&](int left, int top) {
        ::SetWindowPos(owner_.hwnd(), nullptr, left, top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT rect{};
        RunWith(
            request_,
            [&](HWND box) {
                ::GetWindowRect(box, &rect);
                Click(box, 6);
            },
            390, 380);
        return rect;
    };
    const RECT bottomRight = within(area.right - 100, area.bottom - 50);
    EXPECT_EQ(bottomRight.right, area.right);
    EXPECT_EQ(bottomRight.bottom, area.bottom);
    const RECT topLeft = within(area.left - 2000, area.top - 2000);
    EXPECT_EQ(topLeft.left, area.left);
    EXPECT_EQ(topLeft.top, area.top);
    EXPECT_EQ(topLeft.right - topLeft.left, 390);
}

TEST_F(MsgBoxTest, BoxWithoutOwnerDisablesNothing) {
    request_.owner = nullptr;
    bool ownerEnabled = false;
    EXPECT_EQ(RunWith(request_,
                      [&](HWND box) {
                          ownerEnabled = ::IsWindowEnabled(owner_.hwnd());
                          EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr);
                          Click(box, 7);
                      }),
              7);
    EXPECT_TRUE(ownerEnabled);
}

TEST_F(MsgBoxTest, QuitMessageEndsTheLoopWithZeroAndIsKeptForTheCaller) {
    EXPECT_EQ(RunWith(request_, [](HWND) { ::PostQuitMessage(5); }), 0);
    EXPECT_TRUE(::IsWindowEnabled(owner_.hwnd()));
    MSG message;
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 5u);
}

TEST_F(MsgBoxTest, PaintsHeaderBandAndWhiteBody) {
    RunWith(request_, [](HWND box) {
        ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        const HDC dc = ::GetDC(box);
        EXPECT_EQ(::GetPixel(dc, 300, 5), RGB(0xF5, 0xF5, 0xF5));
        EXPECT_EQ(::GetPixel(dc, 300, 56), RGB(0xF5, 0xF5, 0xF5));
        EXPECT_EQ(::GetPixel(dc, 300, 57), RGB(0xFF, 0xFF, 0xFF));
        ::ReleaseDC(box, dc);
        ::PostMessageW(box, WM_CLOSE, 0, 0);
    });
}

}  // namespace

TEST_F(MsgBoxTest, KeyboardUserGetsTheFocusBackAndSeesCuesMouseUserNeither) {
    MyCButton install;
    install.create(owner_.hwnd(), 1002, {10, 10, 200, 56}, "Install", MyCButtonLook{});
    install.show(true);
    MyHideFocusCues(owner_.hwnd());
    ::SetFocus(install.hwnd());
    bool cuesInBox = true;
    RunWith(request_, [&](HWND box) {
        cuesInBox = MyFocusCuesShown(box);
        Click(box, 7);
    });
    EXPECT_FALSE(cuesInBox);
    EXPECT_NE(::GetFocus(), install.hwnd()) << "the page as a mouse user left it";

    ::SetFocus(install.hwnd());
    MyDialogKey(owner_.hwnd(), MSG{install.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}});
    RunWith(request_, [&](HWND box) {
        cuesInBox = MyFocusCuesShown(box);
        Click(box, 7);
    });
    EXPECT_TRUE(cuesInBox) << "asked after keyboard use";
    EXPECT_EQ(::GetFocus(), install.hwnd());
}
