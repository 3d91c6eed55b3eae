#include "installer/MyCWnd/mymsgbox.h"

#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycscale.h"
#include "installer/MyCWnd/mycwnd.h"
#include "installer/MyCWnd/mycworkarea.h"
#include "installer/core/wizardscale.h"
#include "plib/perror.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr wchar_t kClassName[] = L"MyMsgBox";
constexpr DWORD kStyle = 0x90880000;  // WS_POPUP | WS_VISIBLE | WS_BORDER | WS_SYSMENU
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kCloseSize = 14;
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

}  // namespace

class MyMsgBox::Box {
  public:
    explicit Box(const MyMsgBoxRequest& request) : request_(request) {}
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;
    ~Box() {
        if (window_ && ::IsWindow(window_)) {
            ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            ::DestroyWindow(window_);
        }
    }

    int run(int width, int height);

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void create(int width, int height);
    void paint();
    void finish(int result);
    int scaled(int value) const noexcept { return Scaled(value, percent_); }

    const MyMsgBoxRequest& request_;
    HWND window_ = nullptr;
    MyCButton first_;
    MyCButton second_;
    std::unique_ptr<MyCButton> close_;
    int result_ = 0;
    int buttonArea_ = 0;
    int percent_ = 100;
};

int MyMsgBox::Scale(HWND owner, int width, int height) {
    if (owner) return MyScaleOf(owner);
    const HMONITOR monitor = MyMonitorUnderMouse();
    return MyScaleFor(MyMonitorDpi(monitor), MyWorkAreaOf(monitor), width, height);
}

int MyMsgBox::Run(const MyMsgBoxRequest& request, int width, int height) {
    Box box(request);
    return box.run(width, height);
}

void MyMsgBox::Box::create(int logicalWidth, int logicalHeight) {
    percent_ = Scale(request_.owner, logicalWidth, logicalHeight);
    const int width = scaled(logicalWidth);
    const int height = scaled(logicalHeight);
    RECT over;
    const bool owned = request_.owner && ::GetWindowRect(request_.owner, &over);
    const ScreenPoint at =
        owned ? CentreOverInside(MyScreenRect(over), MyWorkAreaOf(over), width, height)
              : CentreInside(MyWorkAreaUnderMouse(), width, height);

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Box::Proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw PSystemError("MyMsgBox::run, RegisterClass",
                           static_cast<std::int32_t>(::GetLastError()));
    window_ = ::CreateWindowExW(kExStyle, kClassName, L"", kStyle, at.x, at.y, width, height,
                                request_.owner, nullptr, instance, nullptr);
    if (!window_)
        throw PSystemError("MyMsgBox::run, CreateWindowEx",
                           static_cast<std::int32_t>(::GetLastError()));
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    MySetScale(window_, percent_);
    // A question asked after keyboard use keeps showing where the focus is.
    if (!request_.owner || !MyFocusCuesShown(request_.owner)) MyHideFocusCues(window_);
    if (request_.bodyFont)
        ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(request_.bodyFont), FALSE);
    ::SetWindowTextW(window_, PToWide(request_.title).c_str());

    RECT client;
    ::GetClientRect(window_, &client);
    const bool two = !request_.secondButton.empty();
    const auto place = [&](MyCButton& button, int id, int top, const PString& text,
                           const MyCButtonLook& look) {
        const int buttonHeight = MyBitmapSize(look.skin.normal).cy;
        const int left = scaled(kButtonLeft);
        button.create(window_, id, {left, top, left + scaled(kButtonWidth), top + buttonHeight},
                      text, look);
        button.show(true);
    };
    // The offsets from the bottom are lengths: scaled as such, so the buttons keep their
    // distance to the bottom edge whatever the box's height.
    const int firstTop = client.bottom + scaled(FirstButtonTop(0, two));
    place(first_, kFirst, firstTop, request_.firstButton, request_.firstLook);
    if (two)
        place(second_, kSecond, client.bottom + scaled(SecondButtonTop(0)), request_.secondButton,
              request_.secondLook);
    buttonArea_ =
        request_.buttonAreaHeight ? scaled(request_.buttonAreaHeight) : client.bottom - firstTop;

    const int closeLeft = client.right - scaled(25);
    const RECT closeRect{closeLeft, scaled(21), closeLeft + scaled(kCloseSize),
                         scaled(21 + kCloseSize)};
    MyCButtonLook closeLook;
    closeLook.background = kHeaderColour;
    if (request_.imageCloseButton) {
        close_ = std::make_unique<MyCButton>();
        closeLook.skin = request_.closeSkin;
        closeLook.imageOnly = true;
        closeLook.keyColour = kWhite;
    } else {
        close_ = std::make_unique<MyCCloseButton>();
    }
    close_->create(window_, kClose, closeRect, "", closeLook);
    close_->setAccessibleName(PToWide(request_.closeName));
    close_->show(true);

    ::SetFocus(first_.hwnd());
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
}

int MyMsgBox::Box::run(int width, int height) {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    result_ = 0;
    MyFocusReturn focusReturn(request_.owner);
    create(width, height);
    const HWND owner = request_.owner;
    if (owner) ::EnableWindow(owner, FALSE);
    bool quit = false;
    while (result_ == 0) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got < 0) break;
        if (MyDialogKey(window_, message)) continue;
        if (!::IsDialogMessageW(window_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetForegroundWindow(owner);
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
    window_ = nullptr;
    // The quit belongs to the caller's loop: taking it here would keep the program running.
    if (quit) ::PostQuitMessage(static_cast<int>(message.wParam));
    return result_;
}

void MyMsgBox::Box::finish(int result) {
    result_ = result;
    // A result set by a message sent from elsewhere must still wake the loop's GetMessage.
    ::PostMessageW(window_, WM_NULL, 0, 0);
}

LRESULT CALLBACK MyMsgBox::Box::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Box*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return Caught(
        MyWindowProcRule(CatchPlace::kMessageBoxProc), MyLogCaughtLine,
        [&] { return self->handle(window, message, wParam, lParam); },
        [&](const std::optional<std::string>&) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        });
}

LRESULT MyMsgBox::Box::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_CLOSE:
            finish(kClose);
            return 0;
        case WM_NCHITTEST:
            return HTCAPTION;
        case DM_GETDEFID: {
            // Enter presses the focused button.
            const int focused = ::GetDlgCtrlID(::GetFocus());
            if (focused == kFirst || focused == kSecond || focused == kClose)
                return MAKELRESULT(focused, DC_HASDEFID);
            return MAKELRESULT(kFirst, DC_HASDEFID);
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kFirst:
                case kSecond:
                case kClose:
                    finish(LOWORD(wParam));
                    return 0;
                case IDCANCEL:  // Escape
                    finish(kClose);
                    return 0;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void MyMsgBox::Box::paint() {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(window_, &ps);
    RECT client;
    ::GetClientRect(window_, &client);
    const int headerHeight = scaled(kHeaderHeight);
    const RECT header{0, 0, client.right, headerHeight};
    MyFillRect(dc, header, kHeaderColour);
    MyDrawText(dc, PToWide(request_.title), header,
               DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, request_.titleFont,
               RGB(0, 0, 0));
    MyFillRect(dc, {0, headerHeight, client.right, client.bottom}, kWhite);
    if (request_.icon) {
        if (const HICON icon = ::LoadIconW(nullptr, request_.icon))
            ::DrawIconEx(dc, scaled(10), scaled(10), icon, scaled(::GetSystemMetrics(SM_CXICON)),
                         scaled(::GetSystemMetrics(SM_CYICON)), 0, nullptr, DI_NORMAL);
    }
    // The message ends 20 pixels above the button area, so that the buttons never cover it.
    const RECT text{scaled(15), scaled(76), client.right - scaled(15),
                    client.bottom - buttonArea_ - scaled(20)};
    MyDrawText(dc, PToWide(request_.message), text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX,
               request_.bodyFont, RGB(0, 0, 0));
    ::EndPaint(window_, &ps);
}
