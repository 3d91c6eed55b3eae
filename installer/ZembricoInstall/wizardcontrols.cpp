// The wizard's fonts, skins and controls: made from the layout table, and labelled and laid out
// again in the current language.
#include <algorithm>

#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycscale.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/languagelist.h"
#include "installer/core/languagetable.h"
#include "installer/core/wizardscale.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kGrey = RGB(0x66, 0x66, 0x66);
constexpr COLORREF kDisabledGrey = RGB(0xC0, 0xC0, 0xC0);
constexpr int kHandCursor = 220;
constexpr int kCursorSize = 32;
constexpr int kLicenceHeight = 24;
// Controls whose height is measured from their text are created this high, then laid out.
constexpr int kCreatedHeight = 24;
constexpr int kSmallLabelGap = 6;
constexpr int kButtonTextMargin = 40;

struct FontRecipe {
    int nominal;
    int weight;
    bool smooth;
};
// F1 to F7.
constexpr FontRecipe kFontRecipes[] = {
    {32, 600, true},  {32, 600, true}, {23, 600, true},  {21, 500, false},
    {21, 600, false}, {21, 600, true}, {23, 500, false},
};

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

// Languages whose sub-captions follow the caption without a space.
bool JoinsSubCaption(int language) {
    const std::string_view code = language >= 0 && language < kLanguageCount
                                      ? kLanguageTable[language].code
                                      : std::string_view();
    return code == "ja" || code == "zh-CN" || code == "zh-TW";
}

COLORREF LabelColour(WizardSlot slot) {
    switch (slot) {
        case WizardSlot::kHeading:
            return kBlack;
        case WizardSlot::kOperatorLine:
        case WizardSlot::kTrusted:
        case WizardSlot::kSafe:
        case WizardSlot::kExclusive:
        case WizardSlot::kPrizes:
            return kWhite;
        default:
            return kGrey;
    }
}

}  // namespace

void ZembricoInstallWindow::makeFonts() {
    const MyFontChoice& choice = fonts().choice;
    for (int i = 0; i < 7; ++i) {
        const FontRecipe& recipe = kFontRecipes[i];
        fonts_[i + 1] = MyCreateFont(
            choice.face, scaled(MyScaledHeight(choice.scale, recipe.nominal)), recipe.weight,
            recipe.smooth ? CLEARTYPE_NATURAL_QUALITY : DEFAULT_QUALITY);
    }
    headingFont_ = fonts().heading(creation_.headingFontHeight);
    handCursor_.reset(static_cast<HCURSOR>(
        ::LoadImageW(creation_.instance, MAKEINTRESOURCEW(kHandCursor), IMAGE_CURSOR,
                     scaled(kCursorSize), scaled(kCursorSize), 0)));
}

RECT ZembricoInstallWindow::rowRect(int x, int y, int width, int height) const {
    return MyScaledRect(At(x, y, width, height), scale());
}

HFONT ZembricoInstallWindow::font(WizardFont which) const {
    if (which == WizardFont::kDefault) return fonts().normal.get();
    return fonts_[static_cast<std::size_t>(which)].get();
}

void ZembricoInstallWindow::makeLooks() {
    const auto buttonLook = [this](MyCSkin skin, COLORREF text, COLORREF disabled) {
        MyCButtonLook look;
        look.skin = skin;
        look.font = font(WizardFont::kF5);
        look.textColour = text;
        look.disabledTextColour = disabled;
        return look;
    };
    browseLook_ = buttonLook(bitmaps_.skin(221, 223, 222, 224),
                             params_.brand == "Highwire" ? kWhite : kBlack, kDisabledGrey);
    primaryLook_ = buttonLook(bitmaps_.skin(225, 227, 226, 228), kWhite, kWhite);
    closeLook_ = buttonLook(bitmaps_.skin(255, 273, 274, 255), kWhite, kDisabledGrey);
    closeLook_.imageOnly = true;

    checkLook_.checked = bitmaps_.skin(245, 248, 247, 246);
    checkLook_.unchecked = bitmaps_.skin(249, 253, 252, 251);
    checkLook_.font = fonts().normal.get();
    checkLook_.textColour = kBlack;
    checkLook_.disabledTextColour = kDisabledGrey;
    radioLook_ = checkLook_;
    radioLook_.checked = bitmaps_.skin(256, 261, 262, 263);
    radioLook_.unchecked = bitmaps_.skin(257, 264, 265, 257);

    listLook_.arrowClosed = bitmaps_.get(250);
    listLook_.arrowOpen = bitmaps_.get(254);
    listLook_.font = font(WizardFont::kF4);
    listLook_.itemFont = font(WizardFont::kF4);
}

void ZembricoInstallWindow::createControls() {
    for (const WizardControl& row : WizardLayout()) {
        if (row.slot == WizardSlot::kOperatorLine && params_.oid.empty()) continue;
        createControl(row);
    }
    MyCRadioButton::Group({&control<MyCRadioButton>(WizardSlot::kStandard),
                           &control<MyCRadioButton>(WizardSlot::kCustom)});
    control<MyCRadioButton>(WizardSlot::kStandard).setChecked(true);

    auto& desktop = control<MyCCheckBox>(WizardSlot::kDesktop);
    desktop.setChecked(params_.desktopShortcut);
    // An operator's build always puts its shortcut on the desktop.
    if (!params_.oid.empty()) ::EnableWindow(desktop.hwnd(), FALSE);
    control<MyCCheckBox>(WizardSlot::kQuickLaunch).setChecked(params_.quickLaunchShortcut);
    control<MyCCheckBox>(WizardSlot::kStartMenu).setChecked(params_.startMenuShortcut);
    auto& allUsers = control<MyCCheckBox>(WizardSlot::kAllUsers);
    allUsers.setChecked(params_.hasAdminRights && params_.allUsers);
    if (!params_.hasAdminRights) ::EnableWindow(allUsers.hwnd(), FALSE);
    find(WizardSlot::kFolderEdit)->setText(params_.installFolder.c_str());
    fillLanguageList();
}

MyCCheckLook ZembricoInstallWindow::licenceLook() const {
    MyCCheckLook look = checkLook_;
    look.font = font(WizardRow(WizardSlot::kLicence).font);
    look.textColour = kGrey;
    return look;
}

const MyCButtonLook& ZembricoInstallWindow::buttonLook(WizardKind kind) const {
    return kind == WizardKind::kButton          ? browseLook_
           : kind == WizardKind::kPrimaryButton ? primaryLook_
                                                : closeLook_;
}

RECT ZembricoInstallWindow::createdRect(const WizardControl& row) const {
    return rowRect(row.x, row.y, row.width, row.height ? row.height : kCreatedHeight);
}

void ZembricoInstallWindow::createControl(const WizardControl& row) {
    const RECT rect = createdRect(row);
    const PString text = controlText(row);
    std::unique_ptr<MyCWnd> made;
    switch (row.kind) {
        case WizardKind::kLabel: {
            auto label = std::make_unique<MyCStaticText>();
            label->create(hwnd(), row.id, rect, text, SS_LEFT, font(row.font),
                          LabelColour(row.slot));
            made = std::move(label);
            break;
        }
        case WizardKind::kLanguageList: {
            auto list = std::make_unique<MyCComboBox>();
            list->create(hwnd(), row.id, rect, scaled(kLanguageListHeight), listLook_);
            made = std::move(list);
            break;
        }
        case WizardKind::kRadio: {
            auto radio = std::make_unique<MyCRadioButton>();
            radio->create(hwnd(), row.id, rect, text, radioLook_);
            made = std::move(radio);
            break;
        }
        case WizardKind::kCheckBox: {
            auto box = std::make_unique<MyCCheckBox>();
            box->create(hwnd(), row.id, rect, text, checkLook_);
            made = std::move(box);
            break;
        }
        case WizardKind::kEdit: {
            const HWND edit =
                MyCreateChild(L"EDIT", L"", WS_CHILD | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL,
                              hwnd(), row.id, rect, "ZembricoInstallWindow, edit field");
            ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font(row.font)), FALSE);
            made = std::make_unique<MyCWnd>();
            made->attach(edit);
            break;
        }
        case WizardKind::kButton:
        case WizardKind::kPrimaryButton:
        case WizardKind::kCloseButton: {
            auto button = std::make_unique<MyCButton>();
            button->create(hwnd(), row.id, rect, text, buttonLook(row.kind));
            made = std::move(button);
            break;
        }
        case WizardKind::kLinkCheckBox: {
            auto licence = std::make_unique<MyCLinkCheckBox>();
            licence->create(hwnd(), row.id, rect, text, licenceLook(), font(WizardFont::kF6),
                            kMyLinkColour, handCursor_.get());
            made = std::move(licence);
            break;
        }
        case WizardKind::kProgressBar: {
            auto bar = std::make_unique<MyCProgressBar>();
            bar->create(hwnd(), row.id, rect, bitmaps_.get(258), bitmaps_.get(259));
            made = std::move(bar);
            break;
        }
    }
    controls_[static_cast<std::size_t>(row.slot)] = std::move(made);
}

void ZembricoInstallWindow::rescaled() {
    bitmaps_.setScale(scale());
    makeFonts();
    makeLooks();
    for (const WizardControl& row : WizardLayout())
        if (find(row.slot)) restyleControl(row);
    applyLanguage();
}

void ZembricoInstallWindow::restyleControl(const WizardControl& row) {
    MyCWnd& made = *find(row.slot);
    const RECT rect = createdRect(row);
    switch (row.kind) {
        case WizardKind::kLanguageList:
            static_cast<MyCComboBox&>(made).setLook(rect, scaled(kLanguageListHeight), listLook_);
            return;
        case WizardKind::kRadio:
            static_cast<MyCRadioButton&>(made).setLook(radioLook_);
            break;
        case WizardKind::kCheckBox:
            static_cast<MyCCheckBox&>(made).setLook(checkLook_);
            break;
        case WizardKind::kButton:
        case WizardKind::kPrimaryButton:
        case WizardKind::kCloseButton:
            static_cast<MyCButton&>(made).setLook(buttonLook(row.kind));
            break;
        case WizardKind::kLinkCheckBox:
            static_cast<MyCLinkCheckBox&>(made).setLook(licenceLook(), font(WizardFont::kF6),
                                                        handCursor_.get());
            break;
        case WizardKind::kLabel:
        case WizardKind::kEdit:
            ::SendMessageW(made.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(row.font)),
                           FALSE);
            break;
        case WizardKind::kProgressBar:
            break;
    }
    ::SetWindowPos(made.hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

PString ZembricoInstallWindow::controlText(const WizardControl& row) const {
    const PString displayName(params_.displayName.c_str());
    switch (row.slot) {
        case WizardSlot::kHeading:
            if (screen_ == Screen::kProgress) return WizardText(TXTINS_InstallingXX);
            if (screen_ == Screen::kFinished) return WizardText(TXTINS_YouXre_all_set);
            break;
        case WizardSlot::kProgressLabel:
            if (screen_ == Screen::kProgress) return WizardText(TXTINS_Nearly_thereXX);
            if (screen_ == Screen::kFinished)
                return WizardText(TXTINS_See_you_at_the_poker_tablesX);
            break;
        case WizardSlot::kPrimary:
            if (screen_ == Screen::kFinished) return WizardText(TXTINS_Launch_N0, displayName);
            break;
        case WizardSlot::kSpaceRequired:
            return space_.requiredText;
        case WizardSlot::kSpaceAvailable:
            return space_.availableText;
        default:
            break;
    }
    switch (row.argument) {
        case WizardArgument::kDisplayName:
            return WizardText(row.text, displayName);
        case WizardArgument::kOperatorName:
            return WizardText(row.text, PString(params_.oname.c_str()));
        case WizardArgument::kNone:
            break;
    }
    return WizardText(row.text);
}

void ZembricoInstallWindow::applyLanguage() {
    space_ = spaceLabels(folderText());
    const bool joined = JoinsSubCaption(CurrentLanguage());
    for (const WizardControl& row : WizardLayout()) {
        MyCWnd* made = find(row.slot);
        if (!made || row.kind == WizardKind::kLanguageList || row.kind == WizardKind::kEdit ||
            row.kind == WizardKind::kProgressBar || row.kind == WizardKind::kCloseButton)
            continue;
        made->setText(controlText(row));
        if (row.kind == WizardKind::kRadio) {
            PString sub(joined ? "" : " ");
            AppendText(sub, WizardText(row.subText));
            static_cast<MyCRadioButton*>(made)->setSubCaption(sub);
        }
        layoutControl(row);
    }
    stackSmallLabels();
    nameControlsForReaders();
    repaint();
}

void ZembricoInstallWindow::nameControlsForReaders() {
    const auto name = [this](WizardSlot slot, MessageKey key) {
        find(slot)->setAccessibleName(PToWide(WizardText(key)));
    };
    name(WizardSlot::kClose, completed_ ? TXTINS_Finish : TXTINS_Quit_installation);
    name(WizardSlot::kLanguageList, TXTINS_Please_select_your_languageX);
    name(WizardSlot::kProgressBar, TXTINS_InstallingXX);
}

void ZembricoInstallWindow::layoutControl(const WizardControl& row) {
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
        height = scaled(row.y + kLicenceHeight) - edges.top;
    } else if (row.kind == WizardKind::kPrimaryButton) {
        // A longer text ("Launch ...") widens the button about its centre rather than being cut.
        const SIZE text =
            MyMeasureText(UniqueWindowDc(hwnd()).get(), PToWide(made.getText()), font(row.font));
        width = std::max(tableWidth, static_cast<int>(text.cx) + scaled(kButtonTextMargin));
        x = edges.left + tableWidth / 2 - width / 2;
    } else if (height == 0) {
        height = TextHeight(hwnd(), made.getText(), font(row.font), width);
    }
    ::SetWindowPos(made.hwnd(), nullptr, x, edges.top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void ZembricoInstallWindow::stackSmallLabels() {
    const WizardSlot labels[] = {WizardSlot::kTrusted, WizardSlot::kSafe, WizardSlot::kExclusive,
                                 WizardSlot::kPrizes};
    const WizardControl& last = WizardRow(WizardSlot::kPrizes);
    int bottom = scaled(last.y + last.height);
    for (auto slot = std::rbegin(labels); slot != std::rend(labels); ++slot) {
        const WizardControl& row = WizardRow(*slot);
        const RECT edges = rowRect(row.x, row.y, row.width, row.height);
        const int width = edges.right - edges.left;
        MyCWnd& label = *find(*slot);
        const int height = std::max(static_cast<int>(edges.bottom - edges.top),
                                    TextHeight(hwnd(), label.getText(), font(row.font), width));
        ::SetWindowPos(label.hwnd(), nullptr, edges.left, bottom - height, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        bottom -= height + scaled(kSmallLabelGap);
    }
}
