#include "server/buildfolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class BuildFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("zb-builds-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "builds" / "sub");
        write(root_ / "builds" / "Setup-1.2.exe", "signed build");
        write(root_ / "builds" / "sub" / "inner.exe", "inner");
        write(root_ / "builds" / ".hidden", "hidden");
        write(root_ / "secret.exe", "outside");
        fs::create_symlink("Setup-1.2.exe", root_ / "builds" / "latest.exe");
        fs::create_symlink(root_ / "secret.exe", root_ / "builds" / "outside.exe");
        fs::create_symlink("sub/inner.exe", root_ / "builds" / "deeper.exe");
        fs::create_symlink(".hidden", root_ / "builds" / "tohidden.exe");
        fs::create_symlink("nothing.exe", root_ / "builds" / "dangling.exe");
        ::mkfifo((root_ / "builds" / "pipe.exe").c_str(), 0600);
    }
    void TearDown() override { fs::remove_all(root_); }

    static void write(const fs::path& path, const char* text) { std::ofstream(path) << text; }

    fs::path root_;
};

TEST(IsBuildName, PlainNamesOnly) {
    for (const char* name : {"ZembricoInstall.exe", "a", "Setup-1.2_x64.exe", "9.exe"})
        EXPECT_TRUE(IsBuildName(name)) << name;
    for (const char* name :
         {"", ".", "..", ".hidden", "../x.exe", "a/b.exe", "a\\b.exe", "-x.exe", "_x.exe",
          "a b.exe", "a%2fb.exe", "%2e%2e", "x.exe\n", "\xc3\xa9.exe", "a:b", "a?b"})
        EXPECT_FALSE(IsBuildName(name)) << name;
    EXPECT_TRUE(IsBuildName(std::string(128, 'a')));
    EXPECT_FALSE(IsBuildName(std::string(129, 'a')));
}

TEST_F(BuildFolderTest, OpensFilesOfTheFolderAndLinksToThem) {
    const BuildFolder folder((root_ / "builds").string());
    std::string why;
    const auto build = folder.open("Setup-1.2.exe", why);
    ASSERT_TRUE(build) << why;
    EXPECT_EQ(build->size, 12u);
    char first = 0;
    EXPECT_EQ(::pread(build->file->get(), &first, 1, 0), 1);
    EXPECT_EQ(first, 's');
    const auto linked = folder.open("latest.exe", why);
    ASSERT_TRUE(linked) << why;
    EXPECT_EQ(linked->name, "Setup-1.2.exe");
    EXPECT_EQ(linked->version, build->version);
}

TEST_F(BuildFolderTest, RefusesWhatIsNoBuildOfTheFolder) {
    const BuildFolder folder((root_ / "builds").string());
    const struct {
        const char* name;
        const char* why;
    } cases[] = {
        {"../secret.exe", "not a build name"},  {"sub/inner.exe", "not a build name"},
        {".hidden", "not a build name"},        {"sub", "not a regular file"},
        {"pipe.exe", "not a regular file"},     {"missing.exe", "no such build"},
        {"outside.exe", "a link leading out"},  {"deeper.exe", "a link leading out"},
        {"tohidden.exe", "a link leading out"}, {"dangling.exe", "a link leading out"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(folder.open(c.name, why)) << c.name;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
    }
}

TEST_F(BuildFolderTest, ListsTheBuildNamesOfTheFolder) {
    const BuildFolder folder((root_ / "builds").string());
    EXPECT_EQ(folder.names(),
              (std::vector<std::string>{"Setup-1.2.exe", "dangling.exe", "deeper.exe", "latest.exe",
                                        "outside.exe", "pipe.exe", "sub", "tohidden.exe"}));
}

TEST_F(BuildFolderTest, AnotherVersionOfTheFileHasAnotherVersion) {
    const BuildFolder folder((root_ / "builds").string());
    std::string why;
    const std::string before = folder.open("Setup-1.2.exe", why)->version;
    write(root_ / "builds" / "next.exe", "signed build");
    fs::rename(root_ / "builds" / "next.exe", root_ / "builds" / "Setup-1.2.exe");
    EXPECT_NE(folder.open("Setup-1.2.exe", why)->version, before);
}

TEST_F(BuildFolderTest, AFolderThatIsNoneIsRefused) {
    EXPECT_THROW(BuildFolder((root_ / "nothing").string()), std::runtime_error);
    EXPECT_THROW(BuildFolder((root_ / "secret.exe").string()), std::runtime_error);
}

}  // namespace
