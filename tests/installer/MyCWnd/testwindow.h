#pragma once

#include <windows.h>

#include <vector>

// A plain top-level parent for toolkit controls under test: it records the WM_COMMAND messages
// it receives, in order, and reflects drawing messages to toolkit children.
class TestParent {
  public:
    struct Command {
        int id;
        int code;
        LPARAM lParam;
    };

    // Hidden unless `visible`: showing and hiding windows costs seconds under Wine without a
    // window manager, and only tests that read pixels back from the screen need it.
    explicit TestParent(bool visible = false);
    ~TestParent();
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND hwnd() const noexcept { return window_; }
    std::vector<Command> commands;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// Dispatches every message waiting in this thread's queue.
void PumpMessages();

// A bitmap of `width` x `height` whose column x has the colour `columnColour(x)`.
HBITMAP MakeColumnBitmap(int width, int height, COLORREF (*columnColour)(int));
// A bitmap of one colour.
HBITMAP MakeSolidBitmap(int width, int height, COLORREF colour);

// A 32-bit top-down memory canvas to draw into and read pixels from.
class TestCanvas {
  public:
    TestCanvas(int width, int height);
    ~TestCanvas();
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;
    HDC dc() const noexcept { return dc_; }
    COLORREF pixel(int x, int y) const;
    void fill(COLORREF colour);

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};
