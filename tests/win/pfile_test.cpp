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
#include "win/widenarrowscope.h"

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

TEST(PWideNarrow, AutomaticChoiceIsWideOnTheNtFamily) {
    const WideNarrowScope automatic(0);
    EXPECT_TRUE(PUseWideCalls());
    EXPECT_TRUE(PWideFor(kMixed));
    EXPECT_FALSE(PWideFor(nullptr));
}

}  // namespace
