#include "plib/win/pdesktopshell.h"

// The shell's automation headers need the base declarations first.
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// A VARIANT that owns what it holds.
struct Variant {
    VARIANT value;
    Variant() { VariantInit(&value); }
    explicit Variant(const std::wstring& text) : Variant() {
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    explicit Variant(int number) : Variant() {
        value.vt = VT_I4;
        value.lVal = number;
    }
    ~Variant() { VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// The desktop window's folder view, through the shell's list of its windows.
HRESULT DesktopFolderView(ComPtr<IShellFolderViewDual>& folderView) {
    ComPtr<IShellWindows> windows;
    HRESULT result =
        CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&windows));
    if (FAILED(result)) return result;
    Variant desktop(CSIDL_DESKTOP);
    Variant root;
    long window = 0;
    ComPtr<IDispatch> dispatch;
    result = windows->FindWindowSW(&desktop.value, &root.value, SWC_DESKTOP, &window,
                                   SWFO_NEEDDISPATCH, &dispatch);
    if (result != S_OK) return FAILED(result) ? result : E_FAIL;
    ComPtr<IServiceProvider> services;
    if (FAILED(result = dispatch.As(&services))) return result;
    ComPtr<IShellBrowser> browser;
    result = services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser));
    if (FAILED(result)) return result;
    ComPtr<IShellView> view;
    if (FAILED(result = browser->QueryActiveShellView(&view))) return result;
    ComPtr<IDispatch> background;
    result = view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background));
    if (FAILED(result)) return result;
    return background.As(&folderView);
}

}  // namespace

HRESULT PDesktopShellExecute(const std::wstring& file, const std::wstring& parameters,
                             const std::wstring& directory) {
    ComPtr<IShellFolderViewDual> folderView;
    HRESULT result = DesktopFolderView(folderView);
    if (FAILED(result)) return result;
    ComPtr<IDispatch> application;
    if (FAILED(result = folderView->get_Application(&application))) return result;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(result = application.As(&shell))) return result;
    const Variant name(file);
    const Variant arguments(parameters);
    const Variant folder(directory);
    const Variant verb;
    const Variant show(SW_SHOWNORMAL);
    if (!name.value.bstrVal || !arguments.value.bstrVal || !folder.value.bstrVal)
        return E_OUTOFMEMORY;
    return shell->ShellExecute(name.value.bstrVal, arguments.value, folder.value, verb.value,
                               show.value);
}
