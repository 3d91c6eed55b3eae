#include "installer/MyCWnd/myctopwindow.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "installer/MyCWnd/mycbackground.h"
#include "installer/MyCWnd/mycscale.h"
#include "installer/core/jpegimage.h"
#include "installer/core/resourceids.h"
#include "plib/perror.h"
#include "plib/win/presource.h"
#include "testwindow.h"

namespace {

constexpr int kNotAJpegResource = 150;

class RecordingWindow : public MyCTopWindow {
  public:
    LRESULT preHandler(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_USER + 1) return 77;
        if (message == WM_USER + 2) lastPreHandled = wParam;
        return 0;
    }
    BOOL command(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(wParam));
        return LOWORD(wParam) == 5;
    }
    void created() override { createdSeen = hwnd() != nullptr; }
    void rescaled() override { rescaledAt = scale(); }

    std::vector<int> commands;
    WPARAM lastPreHandled = 0;
    bool createdSeen = false;
    int rescaledAt = 0;
};

class TopWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.create(L"ZembricoTopWindowTest", "top", ::GetModuleHandleW(nullptr));
    }
    RecordingWindow window_;
};

TEST_F(TopWindowTest, CreatedFramelessAtTheDefaultSize) {
    EXPECT_TRUE(window_.createdSeen);
    // The system keeps WS_CLIPSIBLINGS on every top-level window.
    EXPECT_EQ(::GetWindowLongPtrW(window_.hwnd(), GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS), 0);
    RECT client;
    ::GetClientRect(window_.hwnd(), &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
}

TEST_F(TopWindowTest, ResizeKeepsTheCentre) {
    RECT before, after, client;
    ::GetWindowRect(window_.hwnd(), &before);
    window_.resize(960, 720);
    ::GetWindowRect(window_.hwnd(), &after);
    ::GetClientRect(window_.hwnd(), &client);
    EXPECT_EQ(client.right, 960);
    EXPECT_EQ(client.bottom, 720);
    EXPECT_EQ(after.left, before.left - 160);
    EXPECT_EQ(after.top, before.top - 120);
}

TEST_F(TopWindowTest, PreHandlerAndCommandRouting) {
    EXPECT_EQ(::SendMessageW(window_.hwnd(), WM_USER + 1, 0, 0), 77);
    ::SendMessageW(window_.hwnd(), WM_USER + 2, 9, 0);
    EXPECT_EQ(window_.lastPreHandled, 9u);
    EXPECT_EQ(::SendMessageW(window_.hwnd(), WM_COMMAND, 5, 0), 1);
    EXPECT_EQ(::SendMessageW(window_.hwnd(), WM_COMMAND, 6, 0), 0);
    EXPECT_EQ(window_.commands, (std::vector<int>{5, 6}));
}

// What the system sends when the window moves to a monitor of `dpi`.
void SendDpiChanged(HWND window, int dpi, RECT suggested) {
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(TopWindowTest, DpiChangeRedrawsTheWindowAtTheNewFactor) {
    const HWND window = window_.hwnd();
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ASSERT_GE(area.right - area.left, 960) << "the test display is too small";
    ASSERT_GE(area.bottom - area.top, 720) << "the test display is too small";
    SendDpiChanged(window, 144, {area.left + 10, area.top + 5, area.left + 20, area.top + 15});
    EXPECT_EQ(window_.scale(), 150);
    EXPECT_EQ(window_.rescaledAt, 150) << "the page lays itself out after the change";
    EXPECT_EQ(window_.fonts().percent, 150);
    EXPECT_EQ(MyScaleOf(window), 150);
    RECT rect, client;
    ::GetWindowRect(window, &rect);
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 960);
    EXPECT_EQ(client.bottom, 720);
    EXPECT_EQ(rect.left, area.left + 10) << "at the suggested place";
    EXPECT_EQ(rect.top, area.top + 5);

    // The same factor again changes nothing; back at 96 DPI the window has its own size.
    window_.rescaledAt = 0;
    SendDpiChanged(window, 144, rect);
    EXPECT_EQ(window_.rescaledAt, 0);
    SendDpiChanged(window, 96, rect);
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(window_.scale(), 100);
    EXPECT_EQ(window_.fonts().percent, 100);
}

TEST_F(TopWindowTest, DpiChangeKeepsTheWindowInsideTheWorkArea) {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    // Suggested so that the larger window would hang over the bottom right corner.
    SendDpiChanged(window_.hwnd(), 120,
                   {area.right - 100, area.bottom - 100, area.right, area.bottom});
    RECT rect;
    ::GetWindowRect(window_.hwnd(), &rect);
    EXPECT_EQ(window_.scale(), 125);
    EXPECT_EQ(rect.right, area.right);
    EXPECT_EQ(rect.bottom, area.bottom);
    EXPECT_EQ(rect.right - rect.left, 800);
}

TEST_F(TopWindowTest, ObjectDestroysItsWindow) {
    HWND window = nullptr;
    {
        RecordingWindow other;
        other.create(L"ZembricoTopWindowTest", "other", ::GetModuleHandleW(nullptr));
        window = other.hwnd();
        EXPECT_TRUE(::IsWindow(window));
    }
    EXPECT_FALSE(::IsWindow(window));
}

std::string JpegError(std::span<const std::uint8_t> bytes) {
    try {
        DecodeJpeg(bytes.data(), bytes.size());
    } catch (const PInternalError& e) {
        return e.why();
    }
    return "no error";
}

TEST(JpegSectionTest, BadPicturesGiveTheDecoderTexts) {
    EXPECT_EQ(JpegError({}), "JPEG: empty file");
    const auto notJpeg = PResourceBytes(nullptr, kNotAJpegResource, kResourceType);
    ASSERT_FALSE(notJpeg.empty());
    EXPECT_EQ(JpegError(notJpeg), "JPEG: Not a JPEG file: starts with 0x54 0x68");
}

TEST(JpegSectionTest, BackgroundBecomesABottomUp32BitSection) {
    const auto jpeg = PResourceBytes(nullptr, kFirstBackgroundResource, kResourceType);
    ASSERT_FALSE(jpeg.empty());
    const JpegImage picture = DecodeJpeg(jpeg.data(), jpeg.size());
    const UniqueBitmap section = MyPictureSection(picture, picture.width, picture.height);
    DIBSECTION info{};
    ASSERT_EQ(::GetObjectW(section.get(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.dsBm.bmWidth, 960);
    EXPECT_EQ(info.dsBm.bmHeight, 720);
    EXPECT_EQ(info.dsBm.bmBitsPixel, 32);
    EXPECT_GT(info.dsBmih.biHeight, 0) << "bottom-up";
}

TEST(JpegSectionTest, PictureIsResampledToTheAskedSize) {
    JpegImage picture{7, 3, {}};
    for (int i = 0; i < 7 * 3; ++i) picture.pixels.insert(picture.pixels.end(), {10, 20, 30, 0});
    const UniqueBitmap section = MyPictureSection(picture, 11, 5);
    DIBSECTION info{};
    ASSERT_EQ(::GetObjectW(section.get(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.dsBm.bmWidth, 11);  // 10.5
    EXPECT_EQ(info.dsBm.bmHeight, 5);  // 4.5
    const auto* pixels = static_cast<const std::uint8_t*>(info.dsBm.bmBits);
    EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + 4),
              (std::vector<std::uint8_t>{10, 20, 30, 0}))
        << "a flat picture keeps its colour";
}

TEST_F(TopWindowTest, BadBackgroundLeavesTheWindowWithoutPicture) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    ASSERT_TRUE(window_.loadBackground(module, kFirstBackgroundResource));
    EXPECT_TRUE(window_.hasBackground());
    try {
        window_.loadBackground(module, kNotAJpegResource);
        ADD_FAILURE() << "no error";
    } catch (const PInternalError& e) {
        EXPECT_STREQ(e.why(), "JPEG: Not a JPEG file: starts with 0x54 0x68");
    }
    EXPECT_FALSE(window_.hasBackground());
    window_.setBackgroundColour(RGB(0x12, 0x34, 0x56));
    TestCanvas canvas(640, 480);
    EXPECT_TRUE(window_.eraseBackground(canvas.dc()));
    EXPECT_EQ(canvas.pixel(100, 100), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(canvas.pixel(0, 0), kMyFrameColour);
    EXPECT_EQ(canvas.pixel(639, 479), kMyFrameColour);
}

TEST_F(TopWindowTest, MissingBackgroundIsNoError) {
    EXPECT_FALSE(window_.loadBackground(::GetModuleHandleW(nullptr), 999));
    EXPECT_FALSE(window_.hasBackground());
}

TEST_F(TopWindowTest, BackgroundIsDrawnAtTheTopLeftOverTheFill) {
    ASSERT_TRUE(window_.loadBackground(::GetModuleHandleW(nullptr), kFirstBackgroundResource));
    window_.setBackgroundColour(RGB(0x12, 0x34, 0x56));
    TestCanvas canvas(1000, 760);
    window_.resize(1000, 760);
    window_.eraseBackground(canvas.dc());
    EXPECT_NE(canvas.pixel(100, 100), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(canvas.pixel(980, 100), RGB(0x12, 0x34, 0x56)) << "right of the picture";
    EXPECT_EQ(canvas.pixel(100, 740), RGB(0x12, 0x34, 0x56)) << "below the picture";
}

}  // namespace
