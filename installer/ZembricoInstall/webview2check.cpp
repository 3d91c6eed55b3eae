#include "installer/ZembricoInstall/webview2check.h"

#include <objbase.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>

#include "installer/MyCWnd/mycwnd.h"
#include "installer/ZembricoInstall/installlog.h"
#include "installer/ZembricoInstall/systemprobes.h"
#include "installer/ZembricoInstall/wizardtext.h"
#include "installer/ZembricoInstall/zembricoinstallwindow.h"
#include "installer/core/earlylogqueue.h"
#include "plib/pstringencoding.h"
#include "plib/win/pregistry.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

std::optional<std::wstring> ClientVersion(HKEY root, REGSAM view) {
    UniqueRegKey key;
    PString version;
    if (PRegOpenKey(root, kWebView2ClientKey, 0, KEY_QUERY_VALUE | view, key) != ERROR_SUCCESS ||
        PRegReadString(key.get(), "pv", version, &PMixedEncoding()) != ERROR_SUCCESS ||
        version.empty() || version == "0.0.0.0")
        return std::nullopt;
    return PToWide(version);
}

}  // namespace

HRESULT WebView2InstalledVersion(LPWSTR* version) {
    if (!version) return E_POINTER;
    *version = nullptr;
    std::optional<std::wstring> found = ClientVersion(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
    if (!found) found = ClientVersion(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    if (!found) found = ClientVersion(HKEY_CURRENT_USER, 0);
    if (!found) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    const std::size_t bytes = (found->size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy, found->c_str(), bytes);
    *version = copy;
    return S_OK;
}

bool WebView2RuntimePresent() {
    LPWSTR version = nullptr;
    const HRESULT result = WebView2InstalledVersion(&version);
    std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owner(version, &CoTaskMemFree);
    if (FAILED(result) || !version || !*version) return false;
    EarlyLog("WebView2 version is : %s", PFromWide(version).c_str());
    return true;
}

void ZembricoInstallWindow::webView2Check() {
    const InstallLogSession log(params_.installFolder);
    if (IsWindows64() && !WebView2RuntimePresent()) {
        EarlyLog("WebView2 Runtime is not installed!");
        const int answer = boxes_.ask(WizardText(TXTINS_Download_and_Install_WebView2),
                                      WizardText(TXTINS_Please_download_WebView2_to_si_ELL_1),
                                      WizardText(TXTINS_Download), PString(), kWebView2Box);
        if (answer == MyMsgBox::kFirst) {
            openWebPage(settings_.urlWV2Download, "webview2-install-link");
            screenView("InstallationWindow/WV2Download");
            EarlyLog("WebView2 download button clicked!");
        } else {
            screenView("InstallationWindow/WV2Close");
            EarlyLog("Closed the WebView2 download window!");
        }
    }
}
