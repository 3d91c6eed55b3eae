#include "installer/MyCWnd/myccombobox.h"

#include "installer/MyCWnd/mycbutton.h"
#include "installer/MyCWnd/mycdraw.h"
#include "installer/MyCWnd/mycfocus.h"
#include "installer/MyCWnd/mycscale.h"
#include "installer/core/wizardscale.h"
#include "plib/perror.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr int kTextIndent = 15;
// Inside the rounded corners.
constexpr int kFocusCueInset = 3;
constexpr COLORREF kActivePen = RGB(0x08, 0x9B, 0x80);
constexpr COLORREF kNormalPen = RGB(0xB2, 0xB2, 0xB2);
constexpr COLORREF kOpenBrush = RGB(0xF5, 0xF5, 0xF5);
constexpr COLORREF kClosedBrush = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kIdleText = RGB(0x66, 0x66, 0x66);
constexpr COLORREF kSelectedItem = RGB(0xE0, 0xE0, 0xE0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

std::wstring ItemText(HWND combo, int index) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

}  // namespace

void MyCComboBox::create(HWND parent, int id, const RECT& rect, int listHeight,
                         const MyCComboLook& look) {
    look_ = look;
    RECT full = rect;
    full.bottom += listHeight;
    const HWND window = MyCreateChild(
        L"COMBOBOX", L"",
        WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
        parent, id, full, "MyCComboBox::create");
    if (look.font) ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(look.font), FALSE);
    fitFace(window, rect.bottom - rect.top);
    attach(window);
    trackHover_ = true;
}

void MyCComboBox::setLook(const RECT& rect, int listHeight, const MyCComboLook& look) {
    look_ = look;
    if (look.font) ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(look.font), FALSE);
    height_ = 0;  // free to take the new height
    ::SetWindowPos(hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top + listHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    fitFace(hwnd(), rect.bottom - rect.top);
    redrawFace();
}

void MyCComboBox::fitFace(HWND window, int faceHeight) {
    // The selection field's height sets the face's: the box as placed, borders included.
    ::SendMessageW(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), faceHeight - 6);
    itemHeight_ = MyScaled(window, look_.itemHeight);
    ::SendMessageW(window, CB_SETITEMHEIGHT, 0, itemHeight_);
    RECT placed;
    ::GetWindowRect(window, &placed);
    height_ = placed.bottom - placed.top;
}

int MyCComboBox::addItem(const PString& text, LPARAM data) {
    const auto index = static_cast<int>(
        ::SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PToWide(text).c_str())));
    if (index >= 0) ::SendMessageW(hwnd(), CB_SETITEMDATA, index, data);
    return index;
}

void MyCComboBox::select(int index) {
    ::SendMessageW(hwnd(), CB_SETCURSEL, index, 0);
    const int previous = selection_;
    selection_ = static_cast<int>(::SendMessageW(hwnd(), CB_GETCURSEL, 0, 0));
    redrawFace();
    if (selection_ != previous) notifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

MyAccessInfo MyCComboBox::accessInfo() const {
    const std::wstring selected = selection_ >= 0 ? ItemText(hwnd(), selection_) : std::wstring();
    MyAccessInfo info;
    info.role = ROLE_SYSTEM_COMBOBOX;
    info.name = accessibleName(selected);
    info.state =
        MyWindowAccessState(hwnd()) | (dropped_ ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED);
    info.value = selected;
    return info;
}

void MyCComboBox::redrawFace() {
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void MyCComboBox::hoverEntered() {
    redrawFace();
}

void MyCComboBox::hoverLeft() {
    redrawFace();
}

LRESULT MyCComboBox::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (HIWORD(lParam) != height_ && height_ > 0) {
                ::SetWindowPos(window, nullptr, 0, 0, LOWORD(lParam), height_,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = callPrevious(window, message, wParam, lParam);
            redrawFace();
            return result;
        }
        case WM_ERASEBKGND:
            return 1;
        case kMyReflectBase + WM_COMMAND:
            switch (HIWORD(wParam)) {
                case CBN_SELCHANGE:
                    select(static_cast<int>(::SendMessageW(window, CB_GETCURSEL, 0, 0)));
                    break;
                case CBN_DROPDOWN:
                    dropped_ = true;
                    redrawFace();
                    break;
                case CBN_CLOSEUP:
                    dropped_ = false;
                    redrawFace();
                    break;
                default:
                    break;
            }
            return 0;
        case kMyReflectBase + WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                static_cast<UINT>(itemHeight_);
            return TRUE;
        case kMyReflectBase + WM_DRAWITEM:
            drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        default:
            break;
    }
    return MyCWnd::windowProc(window, message, wParam, lParam);
}

void MyCComboBox::paint() {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(hwnd(), &ps);
    drawFace(dc);
    ::EndPaint(hwnd(), &ps);
}

void MyCComboBox::drawFace(HDC dc) {
    const HBITMAP arrow = dropped_ ? look_.arrowOpen : look_.arrowClosed;
    PASSERT(arrow);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    // The corners outside the rounded face show the page's white.
    MyFillRect(dc, client, kWhite);
    const bool active = hovered() || ::GetFocus() == hwnd();
    UniquePen pen(::CreatePen(PS_SOLID, 1, active ? kActivePen : kNormalPen));
    UniqueBrush brush(::CreateSolidBrush(dropped_ ? kOpenBrush : kClosedBrush));
    const HGDIOBJ oldPen = ::SelectObject(dc, pen.get());
    const HGDIOBJ oldBrush = ::SelectObject(dc, brush.get());
    const int corner = MyScaled(hwnd(), 5);
    ::RoundRect(dc, client.left, client.top, client.right, client.bottom, corner, corner);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);

    const int percent = MyScaleOf(hwnd());
    const SIZE arrowSize = MyBitmapSize(arrow);
    const int indent = Scaled(kTextIndent, percent);
    const int arrowLeft = client.right - indent - arrowSize.cx;
    if (selection_ >= 0) {
        const RECT text{indent, 0, arrowLeft - Scaled(4, percent), client.bottom};
        MyDrawText(dc, ItemText(hwnd(), selection_), text,
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS, look_.font,
                   dropped_ ? RGB(0, 0, 0) : kIdleText);
    }
    MyDrawTransparent(dc, arrow, arrowLeft, (client.bottom - arrowSize.cy) / 2, kWhite);
    if (!dropped_ && MyShowsFocusCue(hwnd())) {
        RECT cue = client;
        const int inset = Scaled(kFocusCueInset, percent);
        ::InflateRect(&cue, -inset, -inset);
        MyDrawFocusCue(dc, cue, RGB(0, 0, 0));
    }
}

void MyCComboBox::keepListBelow() {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!::GetComboBoxInfo(hwnd(), &info) || !info.hwndList) return;
    RECT box, list;
    ::GetWindowRect(hwnd(), &box);
    ::GetWindowRect(info.hwndList, &list);
    if (list.top < box.bottom)
        ::SetWindowPos(info.hwndList, nullptr, list.left, box.bottom, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MyCComboBox::drawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemState & ODS_COMBOBOXEDIT) {
        // The closed face is ours, not the system's selection field.
        redrawFace();
        return;
    }
    keepListBelow();
    if (static_cast<int>(item.itemID) < 0) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    MyFillRect(item.hDC, item.rcItem, selected ? kSelectedItem : kWhite);
    RECT text = item.rcItem;
    text.left += MyScaled(hwnd(), kTextIndent);
    MyDrawText(item.hDC, ItemText(hwnd(), static_cast<int>(item.itemID)), text,
               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, look_.itemFont,
               selected ? RGB(0, 0, 0) : kIdleText);
}
