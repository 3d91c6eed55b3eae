#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "installer/MyCWnd/mycaccessible.h"
#include "installer/core/toplevelcatch.h"
#include "plib/perror.h"
#include "plib/pstring.h"

// Messages a toolkit parent hands back to the child they concern, so that a control draws its
// own items and sees its own notifications (see MyCWnd::Reflect).
inline constexpr UINT kMyReflectBase = WM_USER + 0x1C00;

// Base of every toolkit control: one object bound to one child window, which it subclasses.
// The object must outlive its window or be destroyed first; its destructor unhooks the window,
// so a late message never reaches a dead object.
class MyCWnd : public MyAccessSource {
  public:
    MyCWnd() = default;
    MyCWnd(const MyCWnd&) = delete;
    MyCWnd& operator=(const MyCWnd&) = delete;
    virtual ~MyCWnd();

    // Subclasses `window`: saves its procedure, points its user data at this object and installs
    // the shared procedure. `window` must not be bound to another object.
    virtual void attach(HWND window);
    // This control's handling of one message; the base does hover tracking and passes every
    // message on to the saved procedure.
    virtual LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The base lets the saved procedure paint.
    virtual void paint();
    virtual void hoverEntered() {}
    virtual void hoverLeft() {}
    // Adds or removes WS_VISIBLE. Showing invalidates the control; hiding invalidates the
    // control's area of the parent instead, so that the page shows through.
    virtual void show(bool visible);
    // Mixed-encoding text, converted to UTF-16 for the system.
    virtual void setText(const PString& text);
    virtual void setText(const wchar_t* text);
    virtual PString getText() const;

    // Screen readers: whether the control answers WM_GETOBJECT with an object of its own (the
    // base leaves the system's), and what that object reports. The base reports a client area
    // named by the window text.
    virtual bool ownsAccessible() const noexcept { return false; }
    MyAccessInfo accessInfo() const override;
    // A name for readers instead of the visible text (an icon-only button, a list without a
    // caption). Empty: the visible text.
    void setAccessibleName(std::wstring name) { accessibleName_ = std::move(name); }

    // As show(), but invalidates only the control in both directions.
    void showInvalidatingSelf(bool visible);

    HWND hwnd() const noexcept { return hwnd_; }
    bool hovered() const noexcept { return hovered_; }
    bool visible() const noexcept;
    int id() const noexcept;

    // The object bound to `window` through the shared procedure, or null.
    static MyCWnd* FromWindow(HWND window) noexcept;
    // For a parent's procedure: hands WM_DRAWITEM, WM_MEASUREITEM and WM_COMMAND notifications
    // of a toolkit child to that child as kMyReflectBase + message. Returns true with `result`
    // set when the message is answered (drawing and measuring); a command is passed on but never
    // answered, so that the parent still sees it.
    static bool Reflect(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  protected:
    LRESULT callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The name readers get: the name set for them, else `visible`.
    std::wstring accessibleName(const std::wstring& visible) const;
    // Tells readers that the state (or value) of the control changed.
    void notifyAccessible(DWORD event) const;
    // Invalidates this control's rectangle in its parent, children included, so that a
    // transparent control is repainted over a fresh background.
    void invalidateInParent() const;

    bool trackHover_ = false;

  private:
    static LRESULT CALLBACK SharedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void setVisibleStyle(bool visible);
    void detach() noexcept;

    LRESULT answerGetObject(HWND window, WPARAM wParam, LPARAM lParam);

    bool hovered_ = false;
    std::wstring accessibleName_;
    Microsoft::WRL::ComPtr<MyAccessible> accessible_;
    WNDPROC previous_ = nullptr;
    HWND hwnd_ = nullptr;
};

// Writes the line of an exception that reached a window procedure to the early log; a failing
// log does not leave the window procedure.
void MyLogCaughtLine(const std::string& line) noexcept;

// What a window procedure at `place` catches, so that no error crosses into the system.
constexpr CatchRule MyWindowProcRule(const char* place) {
    return {.place = place, .exception = "Exception", .other = nullptr};
}
