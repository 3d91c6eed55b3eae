// Shows every toolkit control in every state, and each message-box form, with the program's own
// pictures, for screenshots:
//
//   gallery.exe FORM READY-FILE DONE-FILE
//
// FORM is "controls", "box-two", "box-one" or "box-cross". Once the form is on screen the
// gallery creates READY-FILE; it ends when DONE-FILE appears (or after a minute).

#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "installer/MyCWnd/mycbitmaps.h"
#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/myccheckbox.h"
#include "installer/MyCWnd/myccombobox.h"
#include "installer/MyCWnd/myclinkcheckbox.h"
#include "installer/MyCWnd/mycprogressbar.h"
#include "installer/MyCWnd/mycstatictext.h"
#include "installer/MyCWnd/myctopwindow.h"
#include "installer/MyCWnd/mymsgbox.h"
#include "installer/core/resourceids.h"
#include "plib/perror.h"

namespace {

constexpr UINT kRunBox = WM_APP + 1;
constexpr UINT_PTR kReadyTimer = 1;
constexpr UINT_PTR kDoneTimer = 2;
constexpr int kLookMs = 50;
constexpr int kGiveUpTicks = 600;  // of 100 ms

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kGrey = RGB(0x66, 0x66, 0x66);

// A control drawn in a fixed state, so that every state shows at once.
template <typename Control>
class Showcase : public Control {
  public:
    std::optional<MyCDrawState> forced;
    MyCDrawState drawState() const noexcept override {
        return forced ? *forced : Control::drawState();
    }
};

struct StateColumn {
    const char* name;
    std::optional<MyCDrawState> state;
    bool disabled;
    bool focused;
};
constexpr StateColumn kColumns[] = {
    {"normal", MyCDrawState::kNormal, false, false},
    {"hover", MyCDrawState::kHovered, false, false},
    {"pressed", MyCDrawState::kPressed, false, false},
    {"focus", std::nullopt, false, true},
    {"disabled", MyCDrawState::kNormal, true, false},
};
constexpr int kColumnLeft = 340;
constexpr int kColumnStep = 120;

RECT At(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

class Gallery : public MyCTopWindow {
  public:
    Gallery(HINSTANCE instance, std::wstring form, std::wstring ready, std::wstring done)
        : bitmaps_(instance),
          form_(std::move(form)),
          ready_(std::move(ready)),
          done_(std::move(done)) {}

    SIZE defaultSize() const override { return {960, 720}; }
    LRESULT preHandler(UINT message, WPARAM wParam, LPARAM lParam) override;
    void created() override;

  private:
    MyCButtonLook buttonLook(int normal, int hover, int pressed, int disabled, COLORREF text) const;
    MyCCheckLook checkLook(bool radio);
    void makeButtons();
    void makeChecks();
    void makeTexts();
    void makeLists();
    template <typename Control>
    void applyColumn(Control& control, const StateColumn& column);
    int runBox();
    // The form is on screen whole: the window, or the box with the last of its controls.
    HWND shownForm() const;

    MyCBitmaps bitmaps_;
    std::wstring form_, ready_, done_;
    int ticks_ = 0;
    UniqueFont headingFont_;
    std::vector<std::unique_ptr<MyCWnd>> controls_;
    HWND focusTarget_ = nullptr;
};

MyCButtonLook Gallery::buttonLook(int normal, int hover, int pressed, int disabled,
                                  COLORREF text) const {
    MyCButtonLook look;
    look.skin = const_cast<MyCBitmaps&>(bitmaps_).skin(normal, hover, pressed, disabled);
    look.font = fonts().bold.get();
    look.textColour = text;
    look.disabledTextColour = text == kWhite ? kWhite : RGB(0xC0, 0xC0, 0xC0);
    return look;
}

MyCCheckLook Gallery::checkLook(bool radio) {
    MyCCheckLook look;
    look.checked = radio ? bitmaps_.skin(256, 261, 262, 263) : bitmaps_.skin(245, 248, 247, 246);
    look.unchecked = radio ? bitmaps_.skin(257, 264, 265, 257) : bitmaps_.skin(249, 253, 252, 251);
    look.font = fonts().normal.get();
    return look;
}

template <typename Control>
void Gallery::applyColumn(Control& control, const StateColumn& column) {
    control.forced = column.state;
    if (column.disabled) ::EnableWindow(control.hwnd(), FALSE);
    if (column.focused && !focusTarget_) focusTarget_ = control.hwnd();
    control.show(true);
}

void Gallery::makeButtons() {
    struct Row {
        int top;
        const char* text;
        MyCButtonLook look;
    };
    const Row rows[] = {
        {84, "Browse...", buttonLook(221, 223, 222, 224, kBlack)},
        {138, "Install", buttonLook(225, 227, 226, 228, kWhite)},
    };
    int id = 2000;
    for (const Row& row : rows) {
        for (int i = 0; i < 5; ++i) {
            auto button = std::make_unique<Showcase<MyCButton>>();
            button->create(hwnd(), ++id, At(kColumnLeft + i * kColumnStep, row.top, 110, 46),
                           row.text, row.look);
            applyColumn(*button, kColumns[i]);
            controls_.push_back(std::move(button));
        }
    }
    // Close buttons: the skinned one in three states, and the drawn cross.
    MyCButtonLook close = buttonLook(255, 273, 274, 255, kWhite);
    close.imageOnly = true;
    const std::optional<MyCDrawState> states[] = {MyCDrawState::kNormal, MyCDrawState::kHovered,
                                                  MyCDrawState::kPressed};
    for (int i = 0; i < 3; ++i) {
        auto button = std::make_unique<Showcase<MyCButton>>();
        button->create(hwnd(), 105 + i, At(922 - 30 * (2 - i), 26, 14, 14), "", close);
        button->forced = states[i];
        button->show(true);
        controls_.push_back(std::move(button));
    }
    auto cross = std::make_unique<MyCCloseButton>();
    cross->create(hwnd(), 108, At(922 - 90, 26, 14, 14), "", MyCButtonLook{});
    cross->show(true);
    controls_.push_back(std::move(cross));
}

void Gallery::makeChecks() {
    int id = 3000;
    for (int row = 0; row < 4; ++row) {
        const bool radio = row >= 2;
        const bool ticked = row % 2 == 0;
        const int top = 200 + row * 36;
        for (int i = 0; i < 5; ++i) {
            std::unique_ptr<MyCCheckBox> box;
            const RECT rect = At(kColumnLeft + i * kColumnStep, top, 115, radio ? 27 : 24);
            if (radio) {
                auto r = std::make_unique<Showcase<MyCRadioButton>>();
                r->create(hwnd(), ++id, rect, ticked ? "On" : "Off", checkLook(true));
                applyColumn(*r, kColumns[i]);
                box = std::move(r);
            } else {
                auto c = std::make_unique<Showcase<MyCCheckBox>>();
                c->create(hwnd(), ++id, rect, ticked ? "Ticked" : "Clear", checkLook(false));
                applyColumn(*c, kColumns[i]);
                box = std::move(c);
            }
            box->setChecked(ticked);
            controls_.push_back(std::move(box));
        }
    }
    auto radio = std::make_unique<MyCRadioButton>();
    radio->create(hwnd(), 1201, At(kColumnLeft, 348, 580, 27), "Standard", checkLook(true));
    radio->setSubCaption(" (recommended)");
    radio->setChecked(true);
    radio->show(true);
    controls_.push_back(std::move(radio));

    auto licence = std::make_unique<MyCLinkCheckBox>();
    MyCCheckLook look = checkLook(false);
    look.textColour = kGrey;
    licence->create(hwnd(), 151, At(kColumnLeft, 386, 580, 24),
                    "I agree to the <a>terms of service</a> of Zembrico.", look, fonts().bold.get(),
                    kMyLinkColour,
                    ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(220)));
    licence->setChecked(true);
    licence->show(true);
    controls_.push_back(std::move(licence));
}

void Gallery::makeTexts() {
    auto heading = std::make_unique<MyCStaticText>();
    headingFont_ = fonts().heading(/*height=*/30);
    heading->create(hwnd(), -1, At(kColumnLeft, 14, 460, 40), "Toolkit gallery", SS_LEFT,
                    headingFont_.get(), kBlack);
    controls_.push_back(std::move(heading));
    for (int i = 0; i < 5; ++i) {
        auto label = std::make_unique<MyCStaticText>();
        label->create(hwnd(), -1, At(kColumnLeft + i * kColumnStep, 60, 110, 20), kColumns[i].name,
                      SS_CENTER, fonts().normal.get(), kGrey);
        controls_.push_back(std::move(label));
    }
    auto operatorLine = std::make_unique<MyCStaticText>();
    operatorLine->create(hwnd(), -1, At(0, 135, 320, 30), "Operated by Example Gaming Ltd",
                         SS_CENTER, fonts().normal.get(), kWhite);
    controls_.push_back(std::move(operatorLine));
    auto wrapped = std::make_unique<MyCStaticText>();
    wrapped->create(hwnd(), -1, At(kColumnLeft, 600, 580, 48),
                    "Static text is drawn transparently, word-wrapped and centred: this line "
                    "is long enough to wrap onto a second line.",
                    SS_CENTER, fonts().normal.get(), kGrey);
    controls_.push_back(std::move(wrapped));
    auto link = std::make_unique<MyCLinkText>();
    link->create(hwnd(), 1010, At(kColumnLeft, 424, 320, 24), "A link, underlined on hover",
                 SS_NOTIFY, fonts().bold.get(), kMyLinkColour);
    controls_.push_back(std::move(link));
    for (auto& control : controls_) control->show(true);
}

void Gallery::makeLists() {
    MyCComboLook look;
    look.arrowClosed = bitmaps_.get(250);
    look.arrowOpen = bitmaps_.get(254);
    look.font = fonts().normal.get();
    look.itemFont = fonts().normal.get();
    const char* languages[] = {"English", "Deutsch", "Français", "Español", "Nederlands"};
    for (int i = 0; i < 2; ++i) {
        auto list = std::make_unique<MyCComboBox>();
        list->create(hwnd(), 1001 + i, At(kColumnLeft + 300 * i, 470, 280, 36), 150, look);
        for (const char* name : languages) list->addItem(name);
        list->select(i);
        list->show(true);
        controls_.push_back(std::move(list));
    }
    const int percents[] = {0, 40, 100};
    for (int i = 0; i < 3; ++i) {
        auto bar = std::make_unique<MyCProgressBar>();
        bar->create(hwnd(), 114, At(kColumnLeft + 200 * i, 540, 180, 6), bitmaps_.get(258),
                    bitmaps_.get(259));
        bar->setPercent(percents[i]);
        bar->show(true);
        controls_.push_back(std::move(bar));
    }
    auto plain = std::make_unique<MyCProgressBar>();
    plain->create(hwnd(), 115, At(kColumnLeft, 560, 580, 6), nullptr, nullptr);
    plain->setPercent(60);
    plain->show(true);
    controls_.push_back(std::move(plain));
}

void Gallery::created() {
    Caught(
        {.place = "Gallery::created()", .other = nullptr}, MyLogCaughtLine,
        [this] { loadBackground(::GetModuleHandleW(nullptr), kFirstBackgroundResource); },
        DropCaught);
    makeTexts();
    makeButtons();
    if (form_ == L"controls") {
        makeChecks();
        makeLists();
    }
}

int Gallery::runBox() {
    MyMsgBoxRequest request;
    request.owner = hwnd();
    request.titleFont = fonts().bold.get();
    request.bodyFont = fonts().normal.get();
    request.firstLook = buttonLook(221, 223, 222, 224, kBlack);
    request.secondLook = buttonLook(225, 227, 226, 228, kWhite);
    request.closeSkin = bitmaps_.skin(255, 273, 274, 255);
    if (form_ == L"box-two") {
        request.title = "Quit installation";
        request.message =
            "The installation is not finished yet. Do you really want to quit the setup program?";
        request.firstButton = "Yes";
        request.secondButton = "No";
        request.icon = IDI_QUESTION;
        return MyMsgBox::Run(request, 360, 320);
    }
    request.title = "Installing Zembrico";
    request.message =
        "There is not enough free space on the chosen drive. Please choose "
        "another folder.";
    request.firstButton = "OK";
    request.icon = IDI_WARNING;
    request.imageCloseButton = form_ != L"box-cross";
    return MyMsgBox::Run(request, 360, 280);
}

HWND Gallery::shownForm() const {
    if (form_ == L"controls") return ::IsWindowVisible(hwnd()) ? hwnd() : nullptr;
    const HWND box = ::FindWindowW(L"MyMsgBox", nullptr);
    return box && ::IsWindowVisible(box) && ::GetDlgItem(box, MyMsgBox::kClose) ? box : nullptr;
}

LRESULT Gallery::preHandler(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case kRunBox:
            runBox();
            return 1;
        case WM_TIMER:
            if (wParam == kReadyTimer) {
                const HWND shown = shownForm();
                if (!shown) return 1;
                ::KillTimer(hwnd(), kReadyTimer);
                // Focus only sticks once the window is on screen and active.
                if (focusTarget_ && shown == hwnd()) {
                    ::SetForegroundWindow(hwnd());
                    ::SetFocus(focusTarget_);
                }
                ::UpdateWindow(shown);
                const HANDLE file = ::CreateFileW(ready_.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, 0, nullptr);
                if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
            } else if (wParam == kDoneTimer) {
                if (::GetFileAttributesW(done_.c_str()) != INVALID_FILE_ATTRIBUTES ||
                    ++ticks_ > kGiveUpTicks)
                    ::PostQuitMessage(0);
            }
            return 1;
        case WM_SHOWWINDOW:
            if (wParam) {
                ::SetTimer(hwnd(), kReadyTimer, kLookMs, nullptr);
                ::SetTimer(hwnd(), kDoneTimer, 100, nullptr);
                if (form_ != L"controls") ::PostMessageW(hwnd(), kRunBox, 0, 0);
            }
            return 0;
        default:
            return 0;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 4) return 2;
    try {
        Gallery gallery(instance, argv[1], argv[2], argv[3]);
        gallery.create(L"ZembricoGallery", "Zembrico gallery", instance);
        ::ShowWindow(gallery.hwnd(), SW_SHOW);
        ::UpdateWindow(gallery.hwnd());
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    } catch (const PError& e) {
        ::MessageBoxA(nullptr, e.why(), "gallery", MB_OK);
        return 1;
    }
    ::LocalFree(argv);
    return 0;
}
