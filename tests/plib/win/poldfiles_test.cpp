#include "plib/win/poldfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plib/tempfolder.h"
#include "plib/win/plantedlink.h"
#include "plib/winseam/unique.h"

namespace fs = std::filesystem;

namespace {

bool Ours(std::string_view name) {
    return name.starts_with("run-") && name.ends_with(".log");
}

// Writes `name` with a last-write time `minutes` after a fixed moment.
void WriteAged(const TempFolder& folder, const std::string& name, int minutes) {
    TempFolder::write(folder.file(name), name);
    const UniqueFile file(CreateFileA(folder.file(name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ULARGE_INTEGER time{};
    time.QuadPart = 133000000000000000ULL + static_cast<ULONGLONG>(minutes) * 600000000ULL;
    const FILETIME written{time.LowPart, time.HighPart};
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written));
}

TEST(PRemoveOldFiles, KeepsTheNewestOfOurOwnAndNothingElseGoes) {
    TempFolder folder;
    for (int i = 0; i < 6; ++i) WriteAged(folder, "run-" + std::to_string(i) + ".log", 10 - i);
    WriteAged(folder, "other.log", 0);
    fs::create_directory(folder.path() / "run-folder.log");
    PRemoveOldFiles(folder.path().string(), Ours, 3);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(fs::exists(folder.path() / ("run-" + std::to_string(i) + ".log")), i < 3) << i;
    EXPECT_TRUE(fs::exists(folder.path() / "other.log"));
    EXPECT_TRUE(fs::is_directory(folder.path() / "run-folder.log"));
    PRemoveOldFiles(folder.path().string(), Ours, 3);
    EXPECT_TRUE(fs::exists(folder.path() / "run-2.log")) << "the kept ones stay";
}

// A link with our name, planted for the elevated program to delete through, leads nowhere.
TEST(PRemoveOldFiles, NeverDeletesThroughALink) {
    TempFolder folder;
    TempFolder outside;
    TempFolder::write(outside.file("precious.txt"), "keep");
    const PlantedLink file(folder.path() / "run-0.log", outside.file("precious.txt"));
    const PlantedLink directory(folder.path() / "run-1.log", outside.path());
    if (!file.planted() || !directory.planted()) GTEST_SKIP() << "no links can be planted here";
    WriteAged(folder, "run-2.log", 5);
    PRemoveOldFiles(folder.path().string(), Ours, 0);
    EXPECT_EQ(TempFolder::read(outside.file("precious.txt")), "keep");
    EXPECT_TRUE(fs::is_directory(outside.path()));
    EXPECT_FALSE(fs::exists(folder.path() / "run-2.log"));
}

}  // namespace
