#pragma once

#include <windows.h>

// The version of the installed WebView2 runtime, answered as the runtime's loader answers it
// from the runtime's registration: the "pv" value of its client key under
// Software\Microsoft\EdgeUpdate\Clients, machine-wide in the 32-bit and then the 64-bit
// registry view, then per user. A version that is empty or "0.0.0.0" does not count.
// On success `version` receives a zero-terminated UTF-16 string allocated with CoTaskMemAlloc
// (the caller frees it with CoTaskMemFree); a missing runtime gives
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) and null.
HRESULT WebView2InstalledVersion(LPWSTR* version);

// The runtime's client key, below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
inline constexpr char kWebView2ClientKey[] =
    "Software\\Microsoft\\EdgeUpdate\\Clients\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

// True when the runtime is present; logs "WebView2 version is : " and the version then.
bool WebView2RuntimePresent();
