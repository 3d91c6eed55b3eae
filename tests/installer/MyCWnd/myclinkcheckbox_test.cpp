#include "installer/MyCWnd/myclinkcheckbox.h"

#include <gtest/gtest.h>

#include "testwindow.h"

namespace {

TEST(SplitLinkLabelTest, CutsAtTheLinkMarks) {
    struct Case {
        const wchar_t* label;
        const wchar_t* before;
        const wchar_t* link;
        const wchar_t* after;
    };
    const Case cases[] = {
        {L"I agree to the <a>terms of service</a> of Z.", L"I agree to the ", L"terms of service",
         L" of Z."},
        {L"<a>all link</a>", L"", L"all link", L""},
        {L"no link at all", L"no link at all", L"", L""},
        {L"open <a>but never closed", L"open <a>but never closed", L"", L""},
        {L"close</a> before <a>open", L"close</a> before <a>open", L"", L""},
    };
    for (const Case& c : cases) {
        const MyLinkLabel label = MySplitLinkLabel(c.label);
        EXPECT_EQ(label.before, c.before);
        EXPECT_EQ(label.link, c.link);
        EXPECT_EQ(label.after, c.after);
    }
}

class LinkCheckBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cursor_ = ::LoadCursorW(nullptr, IDC_HAND);
        box_.create(parent_.hwnd(), 151, {10, 10, 590, 34},
                    "I agree to the <a>terms of service</a>.", MyCCheckLook{}, nullptr,
                    RGB(0x08, 0x9B, 0x80), cursor_);
        box_.show(true);
    }
    TestParent parent_;
    HCURSOR cursor_;
    MyCLinkCheckBox box_;
};

TEST_F(LinkCheckBoxTest, ShortLabelKeepsTheLinkOnOneLine) {
    EXPECT_EQ(box_.text(), "I agree to the ");
    EXPECT_EQ(::GetDlgCtrlID(box_.firstLink().hwnd()), MyCLinkCheckBox::kFirstLinkId);
    EXPECT_EQ(box_.firstLink().getText(), "terms of service");
    EXPECT_TRUE(box_.firstLink().visible());
    EXPECT_FALSE(box_.secondLink().visible());
    RECT link;
    ::GetWindowRect(box_.firstLink().hwnd(), &link);
    ::MapWindowPoints(HWND_DESKTOP, box_.hwnd(), reinterpret_cast<POINT*>(&link), 2);
    EXPECT_GT(link.left, 24 + 8) << "after the square and the text before it";
    EXPECT_LT(box_.idealWidth(), 580);
}

TEST_F(LinkCheckBoxTest, LongLinkContinuesOnASecondLine) {
    ::SetWindowPos(box_.hwnd(), nullptr, 0, 0, 200, 48, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(box_.secondLink().visible());
    const PString first = box_.firstLink().getText();
    const PString second = box_.secondLink().getText();
    EXPECT_FALSE(second.empty());
    PString joined = first;
    joined.append(second.c_str());
    EXPECT_EQ(joined, "terms of service");
}

TEST_F(LinkCheckBoxTest, LinkClickReachesTheParentWithTheLinkId) {
    ::SendMessageW(box_.firstLink().hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(box_.firstLink().hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PumpMessages();
    ASSERT_FALSE(parent_.commands.empty());
    EXPECT_EQ(parent_.commands[0].id, MyCLinkCheckBox::kFirstLinkId);
    EXPECT_EQ(parent_.commands[0].code, STN_CLICKED);
    EXPECT_FALSE(box_.checked()) << "a link click does not tick the box";
}

TEST_F(LinkCheckBoxTest, LinkCursorOverTheLinksOnly) {
    const HWND link = box_.firstLink().hwnd();
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_TRUE(::SendMessageW(box_.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), cursor_);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::SendMessageW(box_.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(box_.hwnd()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::GetCursor(), cursor_);
}

TEST_F(LinkCheckBoxTest, HoveringOnePieceUnderlinesBoth) {
    EXPECT_FALSE(box_.firstLink().underlined());
    ::SendMessageW(box_.secondLink().hwnd(), WM_MOUSEHOVER, 0, 0);
    EXPECT_TRUE(box_.firstLink().underlined());
    EXPECT_TRUE(box_.secondLink().underlined());
    ::SendMessageW(box_.secondLink().hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(box_.firstLink().underlined());
}

}  // namespace

TEST_F(LinkCheckBoxTest, EnterOrSpaceOnTheFocusedLinkClicksIt) {
    const HWND link = box_.firstLink().hwnd();
    ::SetFocus(link);
    MSG enter{link, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(::SendMessageW(link, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                DLGC_WANTMESSAGE)
        << "Enter is the link's, not the dialog's";
    for (const WPARAM key : {VK_RETURN, VK_SPACE}) {
        ::SendMessageW(link, WM_KEYDOWN, key, 0);
        ::SendMessageW(link, WM_KEYUP, key, 0);
    }
    ASSERT_EQ(parent_.commands.size(), 2u);
    for (const auto& command : parent_.commands) {
        EXPECT_EQ(command.id, MyCLinkCheckBox::kFirstLinkId);
        EXPECT_EQ(command.code, STN_CLICKED);
    }
    EXPECT_FALSE(box_.checked()) << "the link is not the box";
}

TEST_F(LinkCheckBoxTest, BoxLeadsItsLinkInTheTabOrder) {
    EXPECT_TRUE(::GetWindowLongPtrW(box_.hwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(::GetWindowLongPtrW(box_.firstLink().hwnd(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(::GetWindowLongPtrW(box_.secondLink().hwnd(), GWL_STYLE) & WS_TABSTOP)
        << "one link, one stop";
}
