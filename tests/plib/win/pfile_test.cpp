#include "plib/win/pfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/psystem.h"
#include "plib/tempfolder.h"
#include "plib/win/widenarrowscope.h"

namespace {

const PStringEncoding* const kMixed = &PMixedEncoding();

class PFileTest : public testing::Test {
  protected:
    PString path(const std::string& name) const { return PString(folder_.file(name).c_str()); }
    // `name` below the folder, in the mixed encoding.
    PString path(const std::wstring& name) const {
        const std::wstring full = (folder_.path() / name).wstring();
        PString text;
        PUtf16ToPString(text, full.c_str());
        return text;
    }
    std::vector<std::string> list(const PStringEncoding* encoding) const {
        PDirectorySearch search(encoding);
        std::vector<std::string> names;
        for (bool found = search.findFirst(path("*")); found; found = search.findNext()) {
            names.emplace_back(search.name().view());
            if (search.isDirectory()) names.back() += "\\";
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder_;
};

std::string WhyOf(const auto& action) {
    try {
        action();
    } catch (const PInternalError& e) {
        return e.why();
    }
    return "(nothing thrown)";
}

TEST_F(PFileTest, MakeDirectoryCreatesOnceThenReportsExisting) {
    EXPECT_TRUE(PMakeDirectory(path("made"), kMixed));
    EXPECT_TRUE(std::filesystem::is_directory(folder_.path() / "made"));
    EXPECT_FALSE(PMakeDirectory(path("made"), kMixed));
    EXPECT_FALSE(PMakeDirectory(path("made"), nullptr));
}

TEST_F(PFileTest, MakeDirectoryWithoutParentThrowsTheErrorNumber) {
    EXPECT_EQ(WhyOf([&] { PMakeDirectory(path("missing\\child"), kMixed); }),
              "Unable to create directory: 2");
}

TEST_F(PFileTest, DirectoryExistsTellsFoldersFromFilesAndNothing) {
    TempFolder::write(folder_.file("file.txt"), "x");
    std::filesystem::create_directory(folder_.path() / "dir");
    EXPECT_TRUE(PDirectoryExists(path("dir"), kMixed));
    EXPECT_FALSE(PDirectoryExists(path("nothing"), kMixed));
    EXPECT_EQ(WhyOf([&] { PDirectoryExists(path("file.txt"), kMixed); }),
              "same name object but not a directory");
}

TEST_F(PFileTest, FileExistsForFilesAndFoldersOnly) {
    TempFolder::write(folder_.file("file.txt"), "x");
    EXPECT_TRUE(PFileExists(path("file.txt"), kMixed));
    EXPECT_TRUE(PFileExists(path("file.txt"), nullptr));
    EXPECT_TRUE(PFileExists(path(""), kMixed));
    EXPECT_FALSE(PFileExists(path("nothing.txt"), kMixed));
}

TEST_F(PFileTest, SearchOfAnEmptyFolderFindsNothing) {
    PDirectorySearch search(kMixed);
    EXPECT_FALSE(search.findFirst(path("*")));
    EXPECT_FALSE(search.findNext());
}

TEST_F(PFileTest, SearchListsEntriesWithoutDotsAndRestarts) {
    TempFolder::write(folder_.file("b.txt"), "b");
    TempFolder::write(folder_.file("a.txt"), "a");
    std::filesystem::create_directory(folder_.path() / "sub");
    const std::vector<std::string> expected{"a.txt", "b.txt", "sub\\"};
    EXPECT_EQ(list(kMixed), expected);
    EXPECT_EQ(list(nullptr), expected);

    PDirectorySearch search(kMixed);
    ASSERT_TRUE(search.findFirst(path("a.*")));
    EXPECT_EQ(search.name(), "a.txt");
    EXPECT_FALSE(search.findNext());
    // A new search replaces the finished one.
    ASSERT_TRUE(search.findFirst(path("b.*")));
    EXPECT_EQ(search.name(), "b.txt");
    search.close();
    EXPECT_FALSE(search.findNext());
}

TEST_F(PFileTest, NamesOutsideTheCodePageRoundTripInWideForm) {
    const WideNarrowScope wide(1);
    EXPECT_TRUE(PMakeDirectory(path(kOmega), kMixed));
    EXPECT_TRUE(PDirectoryExists(path(kOmega), kMixed));
    EXPECT_EQ(list(kMixed), std::vector<std::string>{std::string(kOmegaMixed) + "\\"});
}

TEST_F(PFileTest, CopyOverwritesTheTarget) {
    TempFolder::write(folder_.file("source.txt"), "new bytes");
    TempFolder::write(folder_.file("target.txt"), "old");
    PCopyFile(path("source.txt"), path("target.txt"), kMixed);
    EXPECT_EQ(TempFolder::read(folder_.file("target.txt")), "new bytes");
    EXPECT_EQ(TempFolder::read(folder_.file("source.txt")), "new bytes");
}

TEST_F(PFileTest, CopyOfAMissingFileThrowsWithSourceAndCode) {
    const PString source = path("absent.txt");
    const std::string expected = std::string("Unable to copy file: '") + source.c_str() + "' err=2";
    EXPECT_EQ(WhyOf([&] { PCopyFile(source, path("target.txt"), kMixed); }), expected);
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "target.txt"));
}

TEST_F(PFileTest, OpenAndDeleteFollowTheEncoding) {
    const PString name = path("caf\xE9.txt");
    {
        PFile file = POpenFile(name, "wb", kMixed);
        ASSERT_TRUE(file);
        std::fputs("latte", file.get());
    }
    EXPECT_EQ(TempFolder::read((folder_.path() / L"caf\u00E9.txt").string()), "latte");
    EXPECT_TRUE(PDeleteFile(name, kMixed));
    EXPECT_FALSE(PFileExists(name, kMixed));
    EXPECT_FALSE(PDeleteFile(name, kMixed));
}

// The narrow override sends every helper to the "A" functions: a name outside the code page
// reaches the system as a stand-in and so cannot name the folder that the wide form made.
TEST_F(PFileTest, NarrowOverrideUsesTheCodePageForms) {
    const PString omega = path(kOmega);
    {
        const WideNarrowScope wide(1);
        ASSERT_TRUE(PMakeDirectory(omega, kMixed));
        ASSERT_TRUE(PFileExists(omega, kMixed));
    }
    {
        const WideNarrowScope narrow(-1);
        EXPECT_FALSE(PUseWideCalls());
        EXPECT_FALSE(PFileExists(omega, kMixed));
        EXPECT_FALSE(PDirectoryExists(omega, kMixed));
        // Text the code page has goes through unharmed.
        EXPECT_TRUE(PMakeDirectory(path(L"caf\u00E9"), kMixed));
        EXPECT_TRUE(PDirectoryExists(path(L"caf\u00E9"), kMixed));
    }
    const std::vector<std::string> expected{std::string(kOmegaMixed) + "\\", "caf\xE9\\"};
    EXPECT_EQ(list(kMixed), expected);
}

// The worker reports why a folder cannot be made from the system's own code.
TEST_F(PFileTest, CreateDirectoryLeavesTheSystemsReason) {
    for (const PStringEncoding* encoding : {kMixed, static_cast<const PStringEncoding*>(nullptr)}) {
        const char* leaf = encoding ? "wide" : "narrow";
        const PString name = path(leaf);
        EXPECT_TRUE(PCreateDirectory(name, encoding));
        EXPECT_TRUE(std::filesystem::is_directory(folder_.path() / leaf));
        EXPECT_FALSE(PCreateDirectory(name, encoding));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    }
    EXPECT_FALSE(PCreateDirectory(path("missing\\child"), kMixed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(PFileSystem, TemporaryFolderIsAnExistingFolderInBothForms) {
    for (const int choice : {1, -1}) {
        const WideNarrowScope scope(choice);
        const PString folder = PTemporaryFolder(kMixed);
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.view().back(), '\\');
        // The search wants the folder's name without the closing backslash.
        const std::string name(folder.view().substr(0, folder.view().size() - 1));
        EXPECT_TRUE(PDirectoryExists(PString(name.c_str()), kMixed));
    }
    EXPECT_EQ(PTemporaryFolder(nullptr).view(), PTemporaryFolder(kMixed).view());
}

// Both measures of one drive agree on what is free; a drive that does not exist has none.
TEST(PFileSystem, DiskFreeSpaceOfADriveAndOfNone) {
    for (const PStringEncoding* encoding : {kMixed, static_cast<const PStringEncoding*>(nullptr)}) {
        std::uint64_t available = 0;
        ASSERT_TRUE(PDiskFreeSpaceEx(PString("C:\\"), available, encoding));
        DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
        ASSERT_TRUE(PDiskFreeSpace(PString("C:\\"), sectors, bytes, freeClusters, total, encoding));
        EXPECT_GT(std::uint64_t{sectors} * bytes, 0u);
        EXPECT_GE(total, freeClusters);
        EXPECT_GT(available, 0u);
    }
    std::uint64_t available = 7;
    EXPECT_FALSE(PDiskFreeSpaceEx(PString("Q:\\"), available, kMixed));
    DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
    EXPECT_FALSE(PDiskFreeSpace(PString("Q:\\"), sectors, bytes, freeClusters, total, nullptr));
}

TEST(PWideNarrow, AutomaticChoiceIsWideOnTheNtFamily) {
    const WideNarrowScope automatic(0);
    EXPECT_TRUE(PUseWideCalls());
    EXPECT_TRUE(PWideFor(kMixed));
    EXPECT_FALSE(PWideFor(nullptr));
}

}  // namespace
