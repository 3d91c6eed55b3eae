#include "installer/ZembricoInstall/wizardcontrolset.h"

#include <algorithm>

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/myccheckbox.h"
#include "installer/MyCWnd/myccombobox.h"
#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/myclinkcheckbox.h"
#include "installer/MyCWnd/mycprogressbar.h"
#include "installer/MyCWnd/mycscale.h"
#include "installer/MyCWnd/mycstatictext.h"

namespace {

constexpr int kLicenceHeight = 24;
// Controls whose height is measured from their text are created this high, then laid out.
constexpr int kCreatedHeight = 24;
constexpr int kSmallLabelGap = 6;
constexpr int kButtonTextMargin = 40;

RECT At(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

// The height `text` takes in `font`, word-wrapped at `width`.
int TextHeight(HWND window, const PString& text, HFONT font, int width) {
    UniqueWindowDc dc(window);
    const HGDIOBJ old = ::SelectObject(dc.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = At(0, 0, width, 0);
    const std::wstring wide = PToWide(text);
    ::DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &rect,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc.get(), old);
    return rect.bottom - rect.top;
}

}  // namespace

WizardControlSet::WizardControlSet(const MyCTopWindow& window, const WizardLooks& looks) noexcept
    : window_(window), looks_(looks) {}

RECT WizardControlSet::rowRect(int x, int y, int width, int height) const {
    return MyScaledRect(At(x, y, width, height), window_.scale());
}

RECT WizardControlSet::createdRect(const WizardControl& row) const {
    return rowRect(row.x, row.y, row.width, row.height ? row.height : kCreatedHeight);
}

void WizardControlSet::create(const WizardControl& row, const PString& text) {
    const RECT rect = createdRect(row);
    std::unique_ptr<MyCWnd> made;
    switch (row.kind) {
        case WizardKind::kLabel: {
            auto label = std::make_unique<MyCStaticText>();
            label->create(window_.hwnd(), row.id, rect, text, SS_LEFT, looks_.font(row.font),
                          WizardLabelColour(row.slot));
            made = std::move(label);
            break;
        }
        case WizardKind::kLanguageList: {
            auto list = std::make_unique<MyCComboBox>();
            list->create(window_.hwnd(), row.id, rect, window_.scaled(kLanguageListHeight),
                         looks_.list());
            made = std::move(list);
            break;
        }
        case WizardKind::kRadio: {
            auto radio = std::make_unique<MyCRadioButton>();
            radio->create(window_.hwnd(), row.id, rect, text, looks_.radio());
            made = std::move(radio);
            break;
        }
        case WizardKind::kCheckBox: {
            auto box = std::make_unique<MyCCheckBox>();
            box->create(window_.hwnd(), row.id, rect, text, looks_.check());
            made = std::move(box);
            break;
        }
        case WizardKind::kEdit: {
            const HWND edit =
                MyCreateChild(L"EDIT", L"", WS_CHILD | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL,
                              window_.hwnd(), row.id, rect, "ZembricoInstallWindow, edit field");
            ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(looks_.font(row.font)),
                           FALSE);
            made = std::make_unique<MyCWnd>();
            made->attach(edit);
            break;
        }
        case WizardKind::kButton:
        case WizardKind::kPrimaryButton:
        case WizardKind::kCloseButton: {
            auto button = std::make_unique<MyCButton>();
            button->create(window_.hwnd(), row.id, rect, text, looks_.button(row.kind));
            made = std::move(button);
            break;
        }
        case WizardKind::kLinkCheckBox: {
            auto licence = std::make_unique<MyCLinkCheckBox>();
            licence->create(window_.hwnd(), row.id, rect, text, looks_.licence(),
                            looks_.font(WizardFont::kF6), kMyLinkColour, looks_.handCursor());
            made = std::move(licence);
            break;
        }
        case WizardKind::kProgressBar: {
            auto bar = std::make_unique<MyCProgressBar>();
            bar->create(window_.hwnd(), row.id, rect, looks_.progressTrack(),
                        looks_.progressFill());
            made = std::move(bar);
            break;
        }
    }
    controls_[static_cast<std::size_t>(row.slot)] = std::move(made);
}

void WizardControlSet::restyle(const WizardControl& row) {
    MyCWnd& made = *find(row.slot);
    const RECT rect = createdRect(row);
    switch (row.kind) {
        case WizardKind::kLanguageList:
            static_cast<MyCComboBox&>(made).setLook(rect, window_.scaled(kLanguageListHeight),
                                                    looks_.list());
            return;
        case WizardKind::kRadio:
            static_cast<MyCRadioButton&>(made).setLook(looks_.radio());
            break;
        case WizardKind::kCheckBox:
            static_cast<MyCCheckBox&>(made).setLook(looks_.check());
            break;
        case WizardKind::kButton:
        case WizardKind::kPrimaryButton:
        case WizardKind::kCloseButton:
            static_cast<MyCButton&>(made).setLook(looks_.button(row.kind));
            break;
        case WizardKind::kLinkCheckBox:
            static_cast<MyCLinkCheckBox&>(made).setLook(
                looks_.licence(), looks_.font(WizardFont::kF6), looks_.handCursor());
            break;
        case WizardKind::kLabel:
        case WizardKind::kEdit:
            ::SendMessageW(made.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(looks_.font(row.font)),
                           FALSE);
            break;
        case WizardKind::kProgressBar:
            static_cast<MyCProgressBar&>(made).setBitmaps(looks_.progressTrack(),
                                                          looks_.progressFill());
            break;
    }
    ::SetWindowPos(made.hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WizardControlSet::layout(const WizardControl& row) {
    MyCWnd& made = *find(row.slot);
    // Edges at the factor first, then the lengths between them.
    const RECT edges =
        rowRect(row.x, row.y, row.width ? row.width : kWizardWidth - row.x, row.height);
    const int tableWidth = edges.right - edges.left;
    int width = tableWidth;
    int height = edges.bottom - edges.top;
    int x = edges.left;
    if (row.kind == WizardKind::kLinkCheckBox) {
        width = std::min(static_cast<MyCLinkCheckBox&>(made).idealWidth(), tableWidth);
        height = window_.scaled(row.y + kLicenceHeight) - edges.top;
    } else if (row.kind == WizardKind::kPrimaryButton) {
        // A longer text ("Launch ...") widens the button about its centre rather than being cut.
        const SIZE text = MyMeasureText(UniqueWindowDc(window_.hwnd()).get(),
                                        PToWide(made.getText()), looks_.font(row.font));
        width = std::max(tableWidth, static_cast<int>(text.cx) + window_.scaled(kButtonTextMargin));
        x = edges.left + tableWidth / 2 - width / 2;
    } else if (height == 0) {
        height = TextHeight(window_.hwnd(), made.getText(), looks_.font(row.font), width);
    }
    ::SetWindowPos(made.hwnd(), nullptr, x, edges.top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void WizardControlSet::stackSmallLabels() {
    const WizardSlot labels[] = {WizardSlot::kTrusted, WizardSlot::kSafe, WizardSlot::kExclusive,
                                 WizardSlot::kPrizes};
    const WizardControl& last = WizardRow(WizardSlot::kPrizes);
    int bottom = window_.scaled(last.y + last.height);
    for (auto slot = std::rbegin(labels); slot != std::rend(labels); ++slot) {
        const WizardControl& row = WizardRow(*slot);
        const RECT edges = rowRect(row.x, row.y, row.width, row.height);
        const int width = edges.right - edges.left;
        MyCWnd& label = *find(*slot);
        const int height =
            std::max(static_cast<int>(edges.bottom - edges.top),
                     TextHeight(window_.hwnd(), label.getText(), looks_.font(row.font), width));
        ::SetWindowPos(label.hwnd(), nullptr, edges.left, bottom - height, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        bottom -= height + window_.scaled(kSmallLabelGap);
    }
}
