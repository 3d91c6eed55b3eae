#pragma once

#include <windows.h>

#include <memory>

#include "installer/MyCWnd/mycbutton.h"
#include "plib/pstring.h"

// One question for MyMsgBox::run. Texts are mixed-encoding and already localised; bitmaps and
// fonts are borrowed for the call.
struct MyMsgBoxRequest {
    HWND owner = nullptr;  // none: centred in the work area under the mouse, nothing disabled
    PString title;
    PString message;
    PString firstButton;
    PString secondButton;  // empty: a one-button box
    MyCButtonLook firstLook;
    MyCButtonLook secondLook;
    const wchar_t* icon = nullptr;  // a system icon (IDI_QUESTION, ...) or none
    HFONT titleFont = nullptr;
    HFONT bodyFont = nullptr;
    // The close button: the image-only skin below, or (false) the drawn cross.
    bool imageCloseButton = true;
    MyCSkin closeSkin;
    // Height kept free for the buttons under the message; 0 takes the buttons' own area.
    int buttonAreaHeight = 0;
    // What readers call the close button, which shows no text.
    PString closeName;
};

// The program's modal question box: a popup with a grey header band and the title, a white
// body with an icon and the word-wrapped message, one or two wide skinned buttons at the bottom
// and a close button at the top right. It opens centred over its owner, moved as little as
// needed to lie wholly inside the work area of the owner's monitor. It runs its own message
// loop; the owner is disabled exactly while the loop runs. Tab moves between the buttons, Enter
// or Space presses the focused one, Escape closes; focus cues show from the start when the owner
// shows them.
class MyMsgBox {
  public:
    static constexpr int kFirst = IDYES;    // 6
    static constexpr int kSecond = IDNO;    // 7
    static constexpr int kClose = IDCLOSE;  // 8

    // The factor a box of `width` x `height` pixels at 100 % is drawn at: its owner's, or
    // without owner, that of the monitor under the mouse (see MyScaleFor). The request's fonts
    // are made at this factor.
    static int Scale(HWND owner, int width, int height);
    // Shows `request` in a box of `width` x `height` pixels at 100 %, drawn at Scale(), and
    // returns kFirst, kSecond or kClose for the button or close action that ended it, or 0
    // when a quit message ended it (the quit message is posted again, so the caller's loop
    // ends too). Throws PSystemError
    // when the window cannot be made.
    static int Run(const MyMsgBoxRequest& request, int width, int height);

    // Button layout in client coordinates at 100 %, for a client area `clientHeight` high.
    static constexpr int kButtonLeft = 20;
    static constexpr int kButtonWidth = 320;
    static constexpr int FirstButtonTop(int clientHeight, bool twoButtons) {
        return clientHeight - (twoButtons ? 126 : 100);
    }
    static constexpr int SecondButtonTop(int clientHeight) { return clientHeight - 66; }
    static constexpr int kHeaderHeight = 57;
    static constexpr COLORREF kHeaderColour = RGB(0xF5, 0xF5, 0xF5);

  private:
    class Box;
};
