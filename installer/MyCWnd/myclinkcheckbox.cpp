#include "installer/MyCWnd/myclinkcheckbox.h"

#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycscale.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

namespace {

constexpr int kTextGap = 8;

// The longest prefix of `text`, cut after a space, that is at most `width` wide; empty when
// not even the first word fits.
std::size_t FittingPrefix(HDC dc, const std::wstring& text, HFONT font, int width) {
    std::size_t best = 0;
    for (std::size_t at = text.find(L' '); at != std::wstring::npos; at = text.find(L' ', at + 1)) {
        if (MyMeasureText(dc, text.substr(0, at), font).cx > width) break;
        best = at + 1;
    }
    if (MyMeasureText(dc, text, font).cx <= width) best = text.size();
    return best;
}

}  // namespace

MyLinkLabel MySplitLinkLabel(const std::wstring& label) {
    const std::size_t open = label.find(L"<a>");
    const std::size_t close = open == std::wstring::npos ? open : label.find(L"</a>", open + 3);
    if (close == std::wstring::npos) return {label, {}, {}};
    return {label.substr(0, open), label.substr(open + 3, close - open - 3),
            label.substr(close + 4)};
}

void MyCLinkCheckBox::create(HWND parent, int id, const RECT& rect, const PString& label,
                             const MyCCheckLook& look, HFONT linkFont, COLORREF linkColour,
                             HCURSOR linkCursor) {
    linkFont_ = linkFont;
    linkCursor_ = linkCursor;
    // No WS_CLIPCHILDREN: the transparent links need the box's face painted under them.
    MyCCheckBox::create(parent, id, rect, "", look);
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    const int ids[2] = {kFirstLinkId, kSecondLinkId};
    // One link, one stop: its second line is the same link.
    const DWORD stops[2] = {WS_TABSTOP, 0};
    for (int i = 0; i < 2; ++i) {
        links_[i].create(hwnd(), ids[i], {0, 0, 0, 0}, "", SS_NOTIFY | SS_LEFT | stops[i], linkFont,
                         linkColour);
        links_[i].setCompanion(&links_[1 - i]);
    }
    setText(label);
}

void MyCLinkCheckBox::setLook(const MyCCheckLook& look, HFONT linkFont, HCURSOR linkCursor) {
    MyCCheckBox::setLook(look);
    linkFont_ = linkFont;
    linkCursor_ = linkCursor;
    for (MyCLinkText& link : links_)
        ::SendMessageW(link.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), FALSE);
    layout();
}

void MyCLinkCheckBox::setText(const PString& label) {
    setText(PToWide(label).c_str());
}

void MyCLinkCheckBox::setText(const wchar_t* label) {
    label_ = MySplitLinkLabel(label);
    MyCCheckBox::setText(label_.before.c_str());
    layout();
}

int MyCLinkCheckBox::idealWidth() {
    UniqueWindowDc dc(hwnd());
    RECT client;
    ::GetClientRect(hwnd(), &client);
    return client.bottom + MyScaled(hwnd(), kTextGap) +
           MyMeasureText(dc.get(), label_.before, look().font).cx +
           MyMeasureText(dc.get(), label_.link, linkFont_).cx +
           MyMeasureText(dc.get(), label_.after, look().font).cx;
}

void MyCLinkCheckBox::layout() {
    if (!links_[0].hwnd()) return;
    UniqueWindowDc dc(hwnd());
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int left = client.bottom + MyScaled(hwnd(), kTextGap);
    const int beforeWidth = MyMeasureText(dc.get(), label_.before, look().font).cx;
    const std::size_t fits =
        FittingPrefix(dc.get(), label_.link, linkFont_, client.right - left - beforeWidth);
    const std::wstring pieces[2] = {label_.link.substr(0, fits), label_.link.substr(fits)};
    const bool twoLines = !pieces[1].empty();
    const int lineHeight = twoLines ? client.bottom / 2 : client.bottom;
    int x[2] = {left + beforeWidth, left};
    for (int i = 0; i < 2; ++i) {
        const int width = MyMeasureText(dc.get(), pieces[i], linkFont_).cx;
        ::SetWindowPos(links_[i].hwnd(), nullptr, x[i], i * lineHeight, width + MyScaled(hwnd(), 2),
                       lineHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        links_[i].setText(pieces[i].c_str());
        links_[i].showInvalidatingSelf(!pieces[i].empty());
        x[i] += width;
    }
    for (MyCLinkText& link : links_) link.setAccessibleName(label_.link);
    afterLine_ = twoLines ? 1 : 0;
    afterX_ = x[afterLine_];
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT MyCLinkCheckBox::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR: {
            const HWND over = reinterpret_cast<HWND>(wParam);
            if (linkCursor_ && (over == links_[0].hwnd() || over == links_[1].hwnd())) {
                ::SetCursor(linkCursor_);
                return TRUE;
            }
            break;
        }
        case WM_COMMAND: {
            const int from = LOWORD(wParam);
            if (from == kFirstLinkId || from == kSecondLinkId) {
                ::SendMessageW(::GetParent(window), WM_COMMAND, wParam, lParam);
                return 0;
            }
            break;
        }
        case WM_SIZE:
            layout();
            break;
        default:
            break;
    }
    return MyCCheckBox::windowProc(window, message, wParam, lParam);
}

void MyCLinkCheckBox::drawText(HDC dc, const RECT& textRect, bool enabled) {
    const int lineHeight = links_[1].visible() ? textRect.bottom / 2 : textRect.bottom;
    RECT first{textRect.left, 0, textRect.right, lineHeight};
    constexpr UINT kFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    MyDrawText(dc, label_.before, first, kFormat, look().font, textColour(enabled));
    RECT after{afterX_, afterLine_ * lineHeight, textRect.right, (afterLine_ + 1) * lineHeight};
    MyDrawText(dc, label_.after, after, kFormat, look().font, textColour(enabled));
}
