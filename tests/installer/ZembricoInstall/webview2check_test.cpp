#include "installer/ZembricoInstall/webview2check.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

namespace {

// Writes and removes the runtime's registration in one registry place.
struct Registration {
    HKEY root;
    REGSAM view;
};
const Registration kMachine32{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY};
const Registration kMachine64{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY};
const Registration kUser{HKEY_CURRENT_USER, 0};

constexpr wchar_t kClientKey[] =
    L"Software\\Microsoft\\EdgeUpdate\\Clients\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

void Register(const Registration& where, const wchar_t* version) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(where.root, kClientKey, 0, nullptr, 0, KEY_SET_VALUE | where.view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"pv", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void Unregister(const Registration& where) {
    RegDeleteKeyExW(where.root, kClientKey, where.view, 0);
}

// The version the query reports, or nothing when it fails.
std::optional<std::wstring> Query() {
    LPWSTR version = reinterpret_cast<LPWSTR>(1);
    const HRESULT result = WebView2InstalledVersion(&version);
    std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owner(version, &CoTaskMemFree);
    if (FAILED(result)) {
        EXPECT_EQ(version, nullptr);
        owner.release();
        return std::nullopt;
    }
    EXPECT_NE(version, nullptr);
    return version ? std::optional<std::wstring>(version) : std::nullopt;
}

class WebView2Query : public ::testing::Test {
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        Unregister(kMachine32);
        Unregister(kMachine64);
        Unregister(kUser);
    }
};

}  // namespace

TEST_F(WebView2Query, MissingRuntimeFailsWithNoString) {
    EXPECT_EQ(Query(), std::nullopt);
    EXPECT_FALSE(WebView2RuntimePresent());
}

TEST_F(WebView2Query, EachRegistrationPlaceIsFound) {
    for (const Registration& where : {kMachine32, kMachine64, kUser}) {
        Register(where, L"120.0.2210.91");
        EXPECT_EQ(Query(), L"120.0.2210.91");
        EXPECT_TRUE(WebView2RuntimePresent());
        Unregister(where);
    }
}

TEST_F(WebView2Query, EmptyOrZeroVersionCountsAsMissing) {
    Register(kUser, L"");
    EXPECT_EQ(Query(), std::nullopt);
    Register(kUser, L"0.0.0.0");
    EXPECT_EQ(Query(), std::nullopt);
    // A machine-wide placeholder does not hide a real per-user runtime.
    Register(kMachine32, L"0.0.0.0");
    Register(kUser, L"119.0.1.0");
    EXPECT_EQ(Query(), L"119.0.1.0");
}

TEST_F(WebView2Query, MachineWideComesBeforePerUser) {
    Register(kUser, L"100.0.0.1");
    Register(kMachine32, L"121.0.0.1");
    EXPECT_EQ(Query(), L"121.0.0.1");
}

TEST_F(WebView2Query, NullOutputPointerIsRefused) {
    EXPECT_EQ(WebView2InstalledVersion(nullptr), E_POINTER);
}
