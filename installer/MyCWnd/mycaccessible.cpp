#include "installer/MyCWnd/mycaccessible.h"

#include "plib/perror.h"
#include "plib/win/psystemlibraries.h"

namespace {

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnNumber(long number, VARIANT* out) {
    if (!out) return E_POINTER;
    ::VariantInit(out);
    out->vt = VT_I4;
    out->lVal = number;
    return S_OK;
}

}  // namespace

MyAccessible::MyAccessible(HWND window, const MyAccessSource& source) : source_(&source) {
    const HRESULT made = PCreateStdAccessibleObject(
        window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(standard_.GetAddressOf()));
    if (FAILED(made)) throw PSystemError("MyAccessible, CreateStdAccessibleObject", made);
}

LRESULT MyAccessible::answer(WPARAM wParam) {
    return PLresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(this));
}

HRESULT MyAccessible::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG MyAccessible::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG MyAccessible::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT MyAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT MyAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT MyAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT MyAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT MyAccessible::get_accParent(IDispatch** parent) {
    return standard_->get_accParent(parent);
}

HRESULT MyAccessible::get_accChildCount(long* count) {
    return standard_->get_accChildCount(count);
}

HRESULT MyAccessible::get_accChild(VARIANT child, IDispatch** object) {
    return standard_->get_accChild(child, object);
}

template <typename Standard, typename Own>
HRESULT MyAccessible::reply(const VARIANT& child, Standard standard, Own own) const {
    if (!IsSelf(child)) return standard(standard_.Get());
    if (!source_) return RPC_E_DISCONNECTED;
    return own(source_->accessInfo());
}

HRESULT MyAccessible::get_accName(VARIANT child, BSTR* name) {
    return reply(
        child, [&](IAccessible* standard) { return standard->get_accName(child, name); },
        [&](const MyAccessInfo& info) { return ReturnText(info.name, name); });
}

HRESULT MyAccessible::get_accValue(VARIANT child, BSTR* value) {
    return reply(
        child, [&](IAccessible* standard) { return standard->get_accValue(child, value); },
        [&](const MyAccessInfo& info) {
            if (info.value) return ReturnText(*info.value, value);
            if (value) *value = nullptr;
            return DISP_E_MEMBERNOTFOUND;
        });
}

HRESULT MyAccessible::get_accDescription(VARIANT child, BSTR* text) {
    return standard_->get_accDescription(child, text);
}

HRESULT MyAccessible::get_accRole(VARIANT child, VARIANT* role) {
    return reply(
        child, [&](IAccessible* standard) { return standard->get_accRole(child, role); },
        [&](const MyAccessInfo& info) { return ReturnNumber(info.role, role); });
}

HRESULT MyAccessible::get_accState(VARIANT child, VARIANT* state) {
    return reply(
        child, [&](IAccessible* standard) { return standard->get_accState(child, state); },
        [&](const MyAccessInfo& info) { return ReturnNumber(info.state, state); });
}

HRESULT MyAccessible::get_accHelp(VARIANT child, BSTR* text) {
    return standard_->get_accHelp(child, text);
}

HRESULT MyAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    return standard_->get_accHelpTopic(file, child, topic);
}

HRESULT MyAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* keys) {
    return standard_->get_accKeyboardShortcut(child, keys);
}

HRESULT MyAccessible::get_accFocus(VARIANT* focused) {
    return standard_->get_accFocus(focused);
}

HRESULT MyAccessible::get_accSelection(VARIANT* selected) {
    return standard_->get_accSelection(selected);
}

HRESULT MyAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return standard_->get_accDefaultAction(child, action);
}

HRESULT MyAccessible::accSelect(long flags, VARIANT child) {
    return standard_->accSelect(flags, child);
}

HRESULT MyAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    return standard_->accLocation(left, top, width, height, child);
}

HRESULT MyAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    return standard_->accNavigate(direction, start, end);
}

HRESULT MyAccessible::accHitTest(long left, long top, VARIANT* child) {
    return standard_->accHitTest(left, top, child);
}

HRESULT MyAccessible::accDoDefaultAction(VARIANT child) {
    return standard_->accDoDefaultAction(child);
}

HRESULT MyAccessible::put_accName(VARIANT child, BSTR name) {
    return standard_->put_accName(child, name);
}

HRESULT MyAccessible::put_accValue(VARIANT child, BSTR value) {
    return standard_->put_accValue(child, value);
}

long MyWindowAccessState(HWND window) {
    const auto style = ::GetWindowLongPtrW(window, GWL_STYLE);
    long state = 0;
    if (!::IsWindowVisible(window)) state |= STATE_SYSTEM_INVISIBLE;
    if (!::IsWindowEnabled(window)) state |= STATE_SYSTEM_UNAVAILABLE;
    if (style & WS_TABSTOP) state |= STATE_SYSTEM_FOCUSABLE;
    if (::GetFocus() == window) state |= STATE_SYSTEM_FOCUSED;
    return state;
}
