#include "plib/win/prunningclient.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "plib/winseam/unique.h"

namespace {

constexpr wchar_t kClass[] = L"ZbWizardTestLobbyClass";
constexpr char kClassNarrow[] = "ZbWizardTestLobbyClass";

// Holds the named mutex on a thread of its own, as another process would, until released.
class MutexHolder {
  public:
    explicit MutexHolder(const wchar_t* name) {
        thread_ = std::thread([this, name] {
            UniqueHandle mutex(CreateMutexW(nullptr, TRUE, name));
            SetEvent(held_.get());
            WaitForSingleObject(release_.get(), INFINITE);
            ReleaseMutex(mutex.get());
        });
        WaitForSingleObject(held_.get(), INFINITE);
    }
    ~MutexHolder() {
        SetEvent(release_.get());
        thread_.join();
    }

  private:
    UniqueHandle held_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle release_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
};

}  // namespace

TEST(RunningClient, NeitherWindowNorMutexMeansNotRunning) {
    EXPECT_FALSE(ClientIsRunning(kClassNarrow));
    // The check's own mutex is gone again: a second look finds nothing either.
    EXPECT_FALSE(ClientIsRunning(kClassNarrow));
}

TEST(RunningClient, AWindowOfTheClassMeansRunning) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_TRUE(RegisterClassW(&wc));
    const HWND window = CreateWindowExW(0, kClass, L"any title", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window);
    EXPECT_TRUE(ClientIsRunning(kClassNarrow));
    DestroyWindow(window);
    UnregisterClassW(kClass, wc.hInstance);
    EXPECT_FALSE(ClientIsRunning(kClassNarrow));
}

TEST(RunningClient, AMutexOwnedElsewhereMeansRunningWithoutAnyWindow) {
    {
        MutexHolder holder(kClass);
        EXPECT_TRUE(ClientIsRunning(kClassNarrow));
    }
    EXPECT_FALSE(ClientIsRunning(kClassNarrow));
}
