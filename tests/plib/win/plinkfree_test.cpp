#include "plib/win/plinkfree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plib/tempfolder.h"
#include "plib/win/plantedlink.h"
#include "plib/winseam/pwidenarrow.h"

namespace fs = std::filesystem;

namespace {

// A folder the elevated program works in (`inside`) and one that someone pointed links at
// (`outside`), holding a file that must survive.
class LinkFreeTest : public testing::Test {
  protected:
    void SetUp() override {
        TempFolder::write(outside_.file("victim.txt"), "not to be touched");
        fs::create_directory(inside_.path() / "plain");
    }

    std::string in(const std::string& name) const { return inside_.file(name); }
    std::string victim() const { return TempFolder::read(outside_.file("victim.txt")); }

    TempFolder inside_;
    TempFolder outside_;
    PLinkFreeFolder folder_{inside_.path().string()};
};

TEST(PFinalPath, FollowsTheWayAndNamesTheFolderAsTheSystemDoes) {
    TempFolder folder;
    fs::create_directory(folder.path() / "Sub");
    const std::string final = PFinalPath(folder.file("sub"));
    EXPECT_TRUE(PSamePath(final, folder.file("Sub"))) << final;
    EXPECT_EQ(final.substr(final.size() - 3), "Sub") << "the name as the folder has it";
    EXPECT_EQ(PFinalPath(folder.file("missing")), "");
    EXPECT_TRUE(PSamePath("C:\\Windows\\System32", "c:\\WINDOWS\\system32"));
    EXPECT_FALSE(PSamePath("C:\\Windows", "C:\\Windows\\"));
}

TEST_F(LinkFreeTest, WorksOnPlainItems) {
    UniqueFile file;
    ASSERT_EQ(folder_.createFile(in("plain\\a.txt"), file), PLinkFree::kDone);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "new", 3, &written, nullptr));
    file.reset();
    EXPECT_EQ(TempFolder::read(in("plain\\a.txt")), "new");
    // What stood there goes first: the file is new, not the old one written over.
    ASSERT_EQ(folder_.createFile(in("plain\\a.txt"), file), PLinkFree::kDone);
    file.reset();
    EXPECT_EQ(TempFolder::read(in("plain\\a.txt")), "");

    EXPECT_EQ(folder_.checkFile(in("plain\\a.txt")), PLinkFree::kDone);
    EXPECT_EQ(folder_.openFile(in("plain\\a.txt"), file), PLinkFree::kDone);
    file.reset();
    EXPECT_EQ(folder_.rename(in("plain\\a.txt"), in("plain\\a.bak")), PLinkFree::kDone);
    EXPECT_TRUE(fs::exists(in("plain\\a.bak")));
    EXPECT_EQ(folder_.makeFolders(in("one\\two\\three")), PLinkFree::kDone);
    EXPECT_TRUE(fs::is_directory(in("one\\two\\three")));
    EXPECT_EQ(folder_.makeFolders(in("one\\two")), PLinkFree::kDone);
    EXPECT_EQ(folder_.remove(in("plain\\a.bak")), PLinkFree::kDone);
    EXPECT_EQ(folder_.remove(in("one\\two\\three")), PLinkFree::kDone);
    EXPECT_FALSE(fs::exists(in("one\\two\\three")));
}

TEST_F(LinkFreeTest, AbsentItemsAndFilesInTheWay) {
    UniqueFile file;
    EXPECT_EQ(folder_.remove(in("none.txt")), PLinkFree::kAbsent);
    EXPECT_EQ(folder_.checkFile(in("none.txt")), PLinkFree::kAbsent);
    EXPECT_EQ(folder_.openFile(in("none\\x.txt"), file), PLinkFree::kAbsent);
    EXPECT_EQ(folder_.rename(in("none.txt"), in("other.txt")), PLinkFree::kAbsent);
    TempFolder::write(in("afile"), "x");
    EXPECT_EQ(folder_.makeFolders(in("afile\\sub")), PLinkFree::kFailed);
    EXPECT_EQ(folder_.makeFolders(in("afile")), PLinkFree::kFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(folder_.openFile(in("plain"), file), PLinkFree::kFailed);
    EXPECT_EQ(folder_.createFile(in("plain"), file), PLinkFree::kFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::is_directory(in("plain"))) << "a folder is no file to replace";
    // A target that exists stays; the rename fails.
    TempFolder::write(in("b.txt"), "b");
    EXPECT_EQ(folder_.rename(in("afile"), in("b.txt")), PLinkFree::kFailed);
    EXPECT_EQ(TempFolder::read(in("b.txt")), "b");
}

TEST_F(LinkFreeTest, PathsOutsideTheFolderAreRefused) {
    UniqueFile file;
    EXPECT_EQ(folder_.remove(outside_.file("victim.txt")), PLinkFree::kLinked);
    // A text that names the item another way than the system does is no path below it either.
    TempFolder::write(in("plain\\x.txt"), "x");
    EXPECT_EQ(folder_.remove(in("plain\\..\\plain\\x.txt")), PLinkFree::kLinked);
    EXPECT_EQ(folder_.rename(in("plain\\x.txt"), in("x.txt")), PLinkFree::kLinked);
    EXPECT_TRUE(fs::exists(in("plain\\x.txt")));
    EXPECT_EQ(folder_.createFile(inside_.path().string() + "\\", file), PLinkFree::kLinked);
    EXPECT_EQ(victim(), "not to be touched");
    const PLinkFreeFolder missing(in("missing"));
    EXPECT_FALSE(missing.valid());
    EXPECT_EQ(missing.remove(in("missing\\x")), PLinkFree::kFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Nothing outside is deleted, moved, written or read through a planted link.
TEST_F(LinkFreeTest, PlantedLinksLeadNowhere) {
    const PlantedLink linkedFolder(inside_.path() / "linked", outside_.path());
    const PlantedLink linkedFile(inside_.path() / "user.ini", outside_.path() / "victim.txt");
    if (!linkedFolder.planted() || !linkedFile.planted())
        GTEST_SKIP() << "no links can be planted here";
    UniqueFile file;
    EXPECT_EQ(folder_.remove(in("linked\\victim.txt")), PLinkFree::kLinked);
    EXPECT_EQ(folder_.openFile(in("linked\\victim.txt"), file), PLinkFree::kLinked);
    EXPECT_EQ(folder_.openFile(in("user.ini"), file), PLinkFree::kLinked);
    EXPECT_EQ(folder_.checkFile(in("user.ini")), PLinkFree::kLinked);
    EXPECT_EQ(folder_.createFile(in("linked\\victim.txt"), file), PLinkFree::kLinked);
    EXPECT_EQ(folder_.createFile(in("linked\\new.txt"), file), PLinkFree::kLinked);
    EXPECT_EQ(folder_.rename(in("user.ini"), in("user.ini.bak")), PLinkFree::kLinked);
    EXPECT_EQ(folder_.rename(in("plain"), in("linked\\moved")), PLinkFree::kLinked);
    EXPECT_EQ(folder_.makeFolders(in("linked\\sub")), PLinkFree::kLinked);
    EXPECT_EQ(folder_.makeFolders(in("linked")), PLinkFree::kLinked);
    EXPECT_EQ(victim(), "not to be touched");
    for (const char* made : {"new.txt", "moved", "sub", "user.ini.bak"})
        EXPECT_FALSE(fs::exists(outside_.path() / made)) << made;
    EXPECT_TRUE(fs::is_directory(in("plain")));
}

TEST_F(LinkFreeTest, ASecondNameIsNotAPlainFile) {
    TempFolder::write(in("plain\\one.txt"), "shared");
    ASSERT_TRUE(CreateHardLinkW(PToWide(in("plain\\two.txt").c_str()).c_str(),
                                PToWide(in("plain\\one.txt").c_str()).c_str(), nullptr));
    UniqueFile file;
    EXPECT_EQ(folder_.openFile(in("plain\\two.txt"), file), PLinkFree::kLinked);
    EXPECT_EQ(folder_.checkFile(in("plain\\one.txt")), PLinkFree::kLinked);
    // Written anew, the name gets a file of its own; the other keeps the content.
    ASSERT_EQ(folder_.createFile(in("plain\\two.txt"), file), PLinkFree::kDone);
    file.reset();
    EXPECT_EQ(TempFolder::read(in("plain\\one.txt")), "shared");
}

// Links above the folder (a profile moved elsewhere) are the folder's own way there.
TEST_F(LinkFreeTest, ALinkAboveTheFolderIsFollowed) {
    const PlantedLink link(inside_.path() / "moved", outside_.path());
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    const PLinkFreeFolder moved(in("moved"));
    ASSERT_TRUE(moved.valid());
    UniqueFile file;
    EXPECT_EQ(moved.createFile(in("moved\\settings.txt"), file), PLinkFree::kDone);
    file.reset();
    EXPECT_TRUE(fs::exists(outside_.path() / "settings.txt"));
}

}  // namespace
