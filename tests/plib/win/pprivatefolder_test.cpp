#include "plib/win/pprivatefolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "plib/tempfolder.h"
#include "plib/winseam/pwidenarrow.h"

namespace fs = std::filesystem;

namespace {

fs::path WindowsTemp() {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return fs::path(windows) / "Temp";
}

TEST(PPrivateFolder, IsANewFolderOfItsOwnInTheWindowsTemporaryFolder) {
    std::string path;
    {
        PPrivateFolder first("zbtest");
        PPrivateFolder second("zbtest");
        ASSERT_TRUE(first.valid() && second.valid());
        path = first.path();
        EXPECT_NE(first.path(), second.path());
        const fs::path made(PToWide(path.c_str()));
        EXPECT_TRUE(fs::equivalent(made.parent_path(), WindowsTemp())) << path;
        EXPECT_TRUE(std::regex_match(made.filename().string(), std::regex("zbtest-[0-9a-f]{16}")))
            << path;
        EXPECT_TRUE(fs::is_directory(made));
        // Held: no one renames it and puts another folder in its place.
        const std::wstring other = made.wstring() + L"-moved";
        EXPECT_FALSE(MoveFileW(made.wstring().c_str(), other.c_str()));
        EXPECT_FALSE(fs::exists(other));
        TempFolder::write((made / "copy.exe").string(), "MZ");
    }
    EXPECT_FALSE(fs::exists(fs::path(PToWide(path.c_str())))) << "left behind";
}

TEST(PPrivateFolder, RemovesWhatItHoldsOrHandsItOn) {
    PPrivateFolder folder("zbtest");
    ASSERT_TRUE(folder.valid());
    const fs::path made(PToWide(folder.path().c_str()));
    TempFolder::write((made / "a.txt").string(), "a");
    EXPECT_TRUE(folder.remove());
    EXPECT_FALSE(fs::exists(made));
    EXPECT_FALSE(folder.valid());

    PPrivateFolder handed("zbtest");
    ASSERT_TRUE(handed.valid());
    const fs::path kept(PToWide(handed.path().c_str()));
    handed.release();
    EXPECT_TRUE(fs::is_directory(kept)) << "released, it stays for another process";
    EXPECT_TRUE(MoveFileW(kept.wstring().c_str(), (kept.wstring() + L"x").c_str()))
        << "and is no longer held";
    fs::remove_all(kept.wstring() + L"x");
}

}  // namespace
