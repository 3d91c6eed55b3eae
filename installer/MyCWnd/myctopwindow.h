#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "installer/MyCWnd/mycfonts.h"
#include "installer/core/jpegimage.h"
#include "plib/pstring.h"
#include "plib/winseam/unique.h"

// Base of the program's top-level windows: a registered class whose procedure forwards to the
// object, no frame or caption (the window draws its own chrome), a background of a colour and
// an optional picture, and the toolkit's fonts.
class MyCTopWindow {
  public:
    MyCTopWindow();
    MyCTopWindow(const MyCTopWindow&) = delete;
    MyCTopWindow& operator=(const MyCTopWindow&) = delete;
    // Destroys the window when it still exists.
    virtual ~MyCTopWindow();

    // The client size the window is created with, at 100 %.
    virtual SIZE defaultSize() const { return {640, 480}; }
    // Moves the window so that its client area gets this size, keeping the window's centre.
    virtual void resize(int clientWidth, int clientHeight);
    // Sees every message first: 0 goes on with the steps below, anything else ends the message
    // with that value.
    virtual LRESULT preHandler(UINT message, WPARAM wParam, LPARAM lParam);
    // Erases into `dc`; nonzero when done. The base fills with the background colour, draws the
    // picture at the top left corner and frames the window in 0xB2B2B2.
    virtual BOOL eraseBackground(HDC dc);
    // Called on WM_PAINT before the default procedure.
    virtual void paint() {}
    // WM_COMMAND; nonzero when handled.
    virtual BOOL command(WPARAM wParam, LPARAM lParam);
    // Called once right after the window is created: the place to make controls.
    virtual void created() {}
    // Called after the factor changed while the window is open (it moved to a monitor of
    // another DPI): the window already has its new size, fonts() and picture; the page lays
    // its controls out again.
    virtual void rescaled() {}

    // Makes the fonts, registers `className` (class style 0, arrow cursor, `icon` when given)
    // and creates the hidden window at defaultSize() drawn at the factor of the monitor under
    // the mouse (its DPI, lowered until the window fits that monitor's work area), centred in
    // the work area (its top-left corner inside when it is larger), then clears its
    // style to 0. Its focus cues are hidden until the keyboard is used (MyDialogKey). Throws
    // PSystemError when the class or the window cannot be made.
    void create(const wchar_t* className, const PString& title, HINSTANCE instance,
                HICON icon = nullptr);
    HWND hwnd() const noexcept { return hwnd_; }
    // The factor the window is drawn at, in percent of its size at 96 DPI.
    int scale() const noexcept { return scale_; }
    // `value`, a length at 100 %, at scale().
    int scaled(int value) const noexcept;

    // Replaces the background picture with "ZB"/`id` of `module`, drawn at scale(): at other
    // factors than 100 % from "ZB"/`masterId` (the same picture at PictureMasters::kPercent)
    // when the module has it. Called before create(), it only decodes the picture, which needs
    // no display. Without such a resource the
    // window is left without a picture and false is returned; a resource that does not decode
    // leaves it without a picture and throws PInternalError with the decoder's text.
    bool loadBackground(HMODULE module, int id, int masterId = 0);
    bool hasBackground() const noexcept { return static_cast<bool>(background_); }
    void setBackgroundColour(COLORREF colour);

    const MyCFonts& fonts() const noexcept { return *fonts_; }
    // The background brush, for the colours of child controls.
    HBRUSH brush() const noexcept { return brush_.get(); }
    // Default colours of the toolkit's texts.
    COLORREF textColour = RGB(0x80, 0x80, 0x80);
    COLORREF backgroundColour = RGB(0xFF, 0xFF, 0xFF);
    COLORREF disabledColour = RGB(0xC0, 0xC0, 0xC0);

  private:
    static LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void dpiChanged(int dpi, const RECT& suggested);
    void makeBackground();

    HWND hwnd_ = nullptr;
    int scale_ = 100;
    std::unique_ptr<MyCFonts> fonts_;
    UniqueBrush brush_;
    JpegImage picture_;  // at 100 %; empty without a picture
    HMODULE pictureModule_ = nullptr;
    int masterId_ = 0;
    UniqueBitmap background_;
};

// The frame colour of top-level windows.
inline constexpr COLORREF kMyFrameColour = RGB(0xB2, 0xB2, 0xB2);
