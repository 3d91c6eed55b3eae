#include "plib/psystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "plib/pstringencoding.h"
#include "tempfolder.h"

namespace {

struct DayOfYearCase {
    int year, month, day, yday;
};

TEST(PMakeTm, DayOfYearCountsTheLeapDayAfterFebruaryInYearsDivisibleByFour) {
    const DayOfYearCase cases[] = {
        {2024, 1, 1, 0},     {2024, 2, 29, 59},   {2024, 3, 1, 60}, {2023, 3, 1, 59},
        {2024, 12, 31, 365}, {2023, 12, 31, 364}, {2100, 3, 1, 60},
    };
    for (const auto& c : cases) {
        const std::tm tm = PMakeTm(c.year, c.month, c.day, 1, 2, 3, 4);
        EXPECT_EQ(tm.tm_yday, c.yday) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(tm.tm_year, c.year - 1900);
        EXPECT_EQ(tm.tm_mon, c.month - 1);
        EXPECT_EQ(tm.tm_isdst, -1);
    }
}

TEST(PFileTime, UnixEpochAndRoundTripInUtc) {
    EXPECT_EQ(PUtcToFileTime(PMakeTm(1970, 1, 1, 0, 0, 0, 4)), 116444736000000000ULL);
    const std::uint64_t fileTime = PUtcToFileTime(PMakeTm(2026, 2, 28, 23, 59, 58, 6));
    const std::tm back = PFileTimeToUtc(fileTime + 1234567);  // 0.12 s later: same second
    EXPECT_EQ(back.tm_year, 126);
    EXPECT_EQ(back.tm_mon, 1);
    EXPECT_EQ(back.tm_mday, 28);
    EXPECT_EQ(back.tm_hour, 23);
    EXPECT_EQ(back.tm_min, 59);
    EXPECT_EQ(back.tm_sec, 58);
    EXPECT_EQ(back.tm_wday, 6);
}

TEST(PFileTime, NowAgreesWithTheUtcClock) {
    const std::tm utc = PUtcTime();
    const std::uint64_t now = PFileTimeNow();
    const std::int64_t drift = static_cast<std::int64_t>(now / 10000000) -
                               static_cast<std::int64_t>(PUtcToFileTime(utc) / 10000000);
    EXPECT_LE(std::llabs(drift), 2);
}

TEST(POpenFile, EncodedNameReachesTheSystemAsUnicode) {
    TempFolder folder;
    // "caf\xE9" is Windows-1252 for "café".
    const PString name = (folder.file("caf") + "\xE9.txt").c_str();
    {
        const PFile file = POpenFile(name, "wb", &PMixedEncoding());
        ASSERT_TRUE(file);
        std::fputs("x", file.get());
    }
    EXPECT_TRUE(std::filesystem::exists(folder.path() / std::filesystem::path(u8"café.txt")));
    EXPECT_TRUE(POpenFile(name, "rb", &PMixedEncoding()));
}

TEST(PFileOperations, RenameAndDeleteReportTheirResult) {
    TempFolder folder;
    const PString a = folder.file("a").c_str();
    const PString b = folder.file("b").c_str();
    EXPECT_FALSE(PDeleteFile(a, nullptr));
    EXPECT_FALSE(PRenameFile(a, b, nullptr));
    TempFolder::write(a.c_str(), "data");
    EXPECT_TRUE(PRenameFile(a, b, nullptr));
    EXPECT_FALSE(std::filesystem::exists(a.c_str()));
    EXPECT_EQ(TempFolder::read(b.c_str()), "data");
    EXPECT_TRUE(PDeleteFile(b, &PMixedEncoding()));
    EXPECT_FALSE(std::filesystem::exists(b.c_str()));
    EXPECT_FALSE(POpenFile(b, "rb", nullptr));
}

TEST(PWriteAndClose, ReportsWhetherEveryByteReachedTheFile) {
    TempFolder folder;
    const PString name = folder.file("out.bin").c_str();
    EXPECT_TRUE(PWriteAndClose(POpenFile(name, "wb", nullptr), "data", 4));
    EXPECT_EQ(TempFolder::read(name.c_str()), "data");
    // A stream that refuses writes.
    EXPECT_FALSE(PWriteAndClose(POpenFile(name, "rb", nullptr), "more", 4));
    EXPECT_EQ(TempFolder::read(name.c_str()), "data");
#if defined(__linux__)
    // A full disk: the buffered bytes fail only when the close writes them out.
    EXPECT_FALSE(PWriteAndClose(POpenFile("/dev/full", "wb", nullptr), "data", 4));
#endif
}

TEST(PProcessFacts, DescribeThisProcess) {
    EXPECT_NE(PProcessId(), 0u);
    EXPECT_NE(PModuleBase(), nullptr);
    EXPECT_NE(PProcessAffinityMask(), 0u);
    EXPECT_TRUE(PTryLockSupported());
}

}  // namespace
