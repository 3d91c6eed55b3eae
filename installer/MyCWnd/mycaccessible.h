#pragma once

#include <oleacc.h>
#include <windows.h>
#include <wrl/client.h>

#include <optional>
#include <string>

// What a control tells a screen reader about itself: its role (ROLE_SYSTEM_...), its name, its
// state (STATE_SYSTEM_... bits) and, for controls that hold one, its value.
struct MyAccessInfo {
    long role = ROLE_SYSTEM_CLIENT;
    std::wstring name;
    long state = 0;
    std::optional<std::wstring> value;
};

// The source of a control's accessible facts. Asked on the window's own thread, at each query,
// so that a reader always sees the state the control draws.
class MyAccessSource {
  public:
    virtual MyAccessInfo accessInfo() const = 0;

  protected:
    ~MyAccessSource() = default;
};

// The IAccessible object a toolkit control hands out for OBJID_CLIENT. Name, role, state and
// value of the control itself come from its MyAccessSource; location, navigation, hit testing
// and children are the system's standard object's. After disconnect() (the control is going)
// the control's own facts answer RPC_E_DISCONNECTED.
class MyAccessible final : public IAccessible {
  public:
    // Throws PSystemError when the system's standard object for `window` cannot be made.
    MyAccessible(HWND window, const MyAccessSource& source);
    MyAccessible(const MyAccessible&) = delete;
    MyAccessible& operator=(const MyAccessible&) = delete;

    // The answer to WM_GETOBJECT (`wParam` as given).
    LRESULT answer(WPARAM wParam);
    void disconnect() noexcept { source_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: readers use the vtable; late binding is not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focused) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selected) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  private:
    ~MyAccessible() = default;
    // A query about a child goes to the standard object; about the control itself, `own`
    // answers from its facts, or RPC_E_DISCONNECTED after disconnect().
    template <typename Standard, typename Own>
    HRESULT reply(const VARIANT& child, Standard standard, Own own) const;

    LONG references_ = 1;
    const MyAccessSource* source_;
    Microsoft::WRL::ComPtr<IAccessible> standard_;
};

// The state bits every control shares: invisible, unavailable (disabled), focusable (a tab
// stop) and focused.
long MyWindowAccessState(HWND window);
