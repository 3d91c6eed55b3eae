#include "plib/win/pwindow.h"

#include <gtest/gtest.h>

#include <string>

#include "plib/pstringencoding.h"
#include "plib/win/widenarrowscope.h"

namespace {

const PStringEncoding* const kMixed = &PMixedEncoding();
constexpr UINT kPing = WM_APP + 7;

int pings = 0;

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        ++pings;
        return static_cast<LRESULT>(wParam + lParam);
    }
    return PDefWindowProc(window, message, wParam, lParam);
}

// A hidden window of a class registered through the layer, in the form of `override`.
class PWindowTest : public testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        pings = 0;
        className_ = "ZbWinTest" + std::to_string(GetParam() + 1);
        ASSERT_NE(PRegisterWindowClass(0, &CountingProcedure, GetModuleHandleW(nullptr), nullptr,
                                       nullptr, nullptr, className_.c_str()),
                  0);
        window_ = PCreateWindow(0, className_.c_str(), "title", kMixed, WS_POPUP, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        PUnregisterWindowClass(className_.c_str(), GetModuleHandleW(nullptr));
    }

    WideNarrowScope scope_{GetParam()};
    std::string className_;
    HWND window_ = nullptr;
};

TEST_P(PWindowTest, ClassRegisteredInTheChosenForm) {
    EXPECT_EQ(IsWindowUnicode(window_) != 0, GetParam() > 0);
    EXPECT_EQ(PGetWindowText(window_, kMixed), "title");
    EXPECT_EQ(static_cast<DWORD>(PGetWindowLong(window_, GWL_STYLE)) & WS_POPUP,
              static_cast<DWORD>(WS_POPUP));
}

TEST_P(PWindowTest, MessagesAreSentPostedAndDispatched) {
    EXPECT_EQ(PSendMessage(window_, kPing, 2, 3), 5);
    EXPECT_EQ(PCallWindowProc(&CountingProcedure, window_, kPing, 1, 1), 2);
    ASSERT_TRUE(PPostMessage(window_, kPing, 0, 0));
    MSG message{};
    ASSERT_GT(PGetMessage(message, window_, kPing, kPing), 0);
    EXPECT_EQ(message.message, kPing);
    PDispatchMessage(message);
    EXPECT_EQ(pings, 3);
}

TEST_P(PWindowTest, WindowTextRoundTripsAndLineFeedsBecomeCrLf) {
    ASSERT_TRUE(PSetWindowText(window_, "caf\xE9", kMixed));
    EXPECT_EQ(PGetWindowText(window_, kMixed), "caf\xE9");
    ASSERT_TRUE(PSetWindowText(window_, "one\ntwo", kMixed, /*crlf=*/true));
    EXPECT_EQ(PGetWindowText(window_, kMixed), "one\r\ntwo");
    ASSERT_TRUE(PSetWindowText(window_, "one\ntwo", nullptr, /*crlf=*/true));
    EXPECT_EQ(PGetWindowText(window_, nullptr), "one\r\ntwo");
}

TEST_P(PWindowTest, ComboBoxTakesItems) {
    const HWND combo =
        PCreateWindow(0, "COMBOBOX", "", kMixed, WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100,
                      window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(PComboAddString(combo,
                              "Fran\xE7"
                              "ais",
                              kMixed),
              0);
    EXPECT_EQ(PComboAddString(combo, "Deutsch", kMixed), 1);
    wchar_t item[32] = {};
    ASSERT_EQ(SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item)), 8);
    EXPECT_EQ(std::wstring(item), L"Fran\u00E7ais");
}

TEST_P(PWindowTest, DrawTextMeasuresTheWholeText) {
    const HDC dc = GetDC(window_);
    RECT one{0, 0, 200, 0};
    RECT two{0, 0, 200, 0};
    const int oneHeight = PDrawText(dc, "line", one, DT_CALCRECT, kMixed);
    const int twoHeight = PDrawText(dc, "line\nline", two, DT_CALCRECT, kMixed);
    ReleaseDC(window_, dc);
    EXPECT_GT(oneHeight, 0);
    EXPECT_EQ(twoHeight, 2 * oneHeight);
    EXPECT_GT(one.right, 0);
}

INSTANTIATE_TEST_SUITE_P(WideAndNarrow, PWindowTest, testing::Values(1, -1),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param > 0 ? std::string("Wide") : std::string("Narrow");
                         });

}  // namespace
