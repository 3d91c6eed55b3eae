#include "plib/win/pdesktopshell.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "plib/tempfolder.h"

namespace {

// Looks for `path` until it holds `minimum` bytes; a safety net of two minutes, never a measure.
bool WaitForFile(const std::filesystem::path& path, std::uintmax_t minimum) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    std::error_code error;
    while (std::filesystem::file_size(path, error) < minimum || error) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::wstring SystemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

TEST(PDesktopShellExecute, StartsAProgramInTheFolderWithTheArgumentsGiven) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const TempFolder folder;
    // "cd" prints the current folder; the output file is named relative to it.
    ASSERT_EQ(PDesktopShellExecute(SystemProgram(L"cmd.exe"), L"/c cd > where.txt",
                                   folder.path().wstring()),
              S_OK);
    const auto output = folder.path() / "where.txt";
    const std::string expected = folder.path().string();
    ASSERT_TRUE(WaitForFile(output, expected.size()));
    std::string written = TempFolder::read(output.string());
    while (!written.empty() && (written.back() == '\n' || written.back() == '\r'))
        written.pop_back();
    EXPECT_EQ(written, expected);
    if (SUCCEEDED(com)) CoUninitialize();
}

TEST(PDesktopShellExecute, WithoutComOnTheThreadTheShellIsNotReachedAndSaysWhy) {
    HRESULT result = S_OK;
    std::thread([&result] {
        result = PDesktopShellExecute(SystemProgram(L"cmd.exe"), L"/c exit", L"");
    }).join();
    EXPECT_EQ(result, CO_E_NOTINITIALIZED);
}

}  // namespace
