#include "installer/core/earlylogqueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "installer/core/capturelog.h"
#include "plib/plogtesting.h"
#include "plib/tempfolder.h"

namespace {

using Lines = std::vector<std::string>;

TEST(EarlyLogQueue, QueuesUntilALoggerExistsThenFlushesInOrder) {
    EarlyLogQueue queue;
    ASSERT_FALSE(PLogIsOn());
    queue.add("first %d", 1);
    queue.add("%s", "second");
    std::optional<ScopedCaptureLog> log;
    log.emplace();
    EXPECT_EQ(log->lines(), Lines{});
    queue.flush();
    EXPECT_EQ(log->lines(), (Lines{"first 1", "second"}));
    queue.flush();
    EXPECT_EQ(log->lines().size(), 2u) << "flushed lines are forgotten";
}

TEST(EarlyLogQueue, WritesAtOnceWhileLogging) {
    EarlyLogQueue queue;
    ScopedCaptureLog log;
    queue.add("now %s", "here");
    EXPECT_EQ(log.lines(), Lines{"now here"});
    queue.flush();
    EXPECT_EQ(log.lines(), Lines{"now here"});
}

TEST(EarlyLogQueue, QueuedLinesAreCutAt255Characters) {
    EarlyLogQueue queue;
    const std::string longLine(300, 'x');
    queue.add("%s", longLine.c_str());
    queue.add("%s", std::string(255, 'y').c_str());
    ScopedCaptureLog log;
    queue.flush();
    EXPECT_EQ(log.lines(), (Lines{std::string(255, 'x'), std::string(255, 'y')}));
}

TEST(EarlyLogQueue, FlushWithoutLoggerKeepsTheLines) {
    EarlyLogQueue queue;
    queue.add("kept");
    queue.flush();
    ScopedCaptureLog log;
    queue.flush();
    EXPECT_EQ(log.lines(), Lines{"kept"});
}

TEST(EarlyLogQueue, TwoThreadsAddWithoutLoss) {
    EarlyLogQueue queue;
    std::thread other([&] {
        for (int i = 0; i < 500; ++i) queue.add("other %d", i);
    });
    for (int i = 0; i < 500; ++i) queue.add("main %d", i);
    other.join();
    ScopedCaptureLog log;
    queue.flush();
    const Lines lines = log.lines();
    ASSERT_EQ(lines.size(), 1000u);
    int nextOther = 0;
    for (const std::string& line : lines) {
        if (line.rfind("other ", 0) == 0) {
            EXPECT_EQ(line, "other " + std::to_string(nextOther++));
        }
    }
}

TEST(EarlyLogQueue, LinesNoLogTookGoToALogOfTheirOwn) {
    EarlyLogQueue queue;
    TempFolder folder;
    const PString path(folder.file("startup.log").c_str());
    queue.writeTo(path, nullptr);
    EXPECT_FALSE(std::filesystem::exists(path.c_str())) << "nothing waited, yet a file was made";

    queue.add("Language initialization failed");
    {
        ScopedCaptureLog log;
        queue.writeTo(path, nullptr);
        EXPECT_FALSE(std::filesystem::exists(path.c_str())) << "a log is installed: it takes them";
    }
    queue.writeTo(path, nullptr);
    const Lines lines = LogLines(TempFolder::read(path.c_str()));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Language initialization failed");
    EXPECT_FALSE(PLogIsOn()) << "the log of its own is closed again";

    ScopedCaptureLog log;
    queue.flush();
    EXPECT_EQ(log.lines(), Lines{}) << "written lines are forgotten";
}

TEST(EarlyLogQueue, APlaceKeepsItsLineBeforeTheLinesAddedAfterIt) {
    EarlyLogQueue queue;
    queue.add("first");
    EarlyLogQueue::Place place = queue.hold();
    queue.add("later");
    place.fill("filled %d", 2);
    place.fill("a second fill is ignored");
    ScopedCaptureLog log;
    queue.flush();
    EXPECT_EQ(log.lines(), (Lines{"first", "filled 2", "later"}));
}

TEST(EarlyLogQueue, APlaceGivenUpLeavesNoLine) {
    EarlyLogQueue queue;
    {
        EarlyLogQueue::Place place = queue.hold();
        queue.add("later");
        EarlyLogQueue::Place moved = std::move(place);
    }
    EarlyLogQueue::Place released = queue.hold();
    released.release();
    released.fill("after its release");
    ScopedCaptureLog log;
    queue.flush();
    EXPECT_EQ(log.lines(), Lines{"later"});
}

TEST(EarlyLogQueue, WhileAPlaceIsOpenALoggerGetsNothingBeforeIt) {
    EarlyLogQueue queue;
    EarlyLogQueue::Place place = queue.hold();
    ScopedCaptureLog log;
    queue.add("behind the place");
    EXPECT_EQ(log.lines(), Lines{});
    std::thread filler([&place] { place.fill("the place"); });
    // Returns once the place is filled, whichever thread comes first.
    queue.flush();
    filler.join();
    EXPECT_EQ(log.lines(), (Lines{"the place", "behind the place"}));
    queue.add("now");
    EXPECT_EQ(log.lines().back(), "now") << "with no place open, lines are written at once";
}

TEST(EarlyLogQueue, APlaceTakenWhileLoggingWritesAtOnce) {
    EarlyLogQueue queue;
    ScopedCaptureLog log;
    EarlyLogQueue::Place place = queue.hold();
    queue.add("next");
    place.fill("filled");
    EXPECT_EQ(log.lines(), (Lines{"next", "filled"}));
}

TEST(EarlyLogQueue, ALogOfItsOwnWaitsForAnOpenPlace) {
    EarlyLogQueue queue;
    TempFolder folder;
    const PString path(folder.file("startup.log").c_str());
    EarlyLogQueue::Place place = queue.hold();
    queue.add("behind the place");
    std::thread filler([&place] { place.fill("the place"); });
    queue.writeTo(path, nullptr);
    filler.join();
    Lines lines = LogLines(TempFolder::read(path.c_str()));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(Lines(lines.end() - 2, lines.end()), (Lines{"the place", "behind the place"}));
}

TEST(EarlyLog, QueuesInTheProcessQueueWhileNoLogExistsAndWritesAtOnceAfter) {
    ASSERT_FALSE(PLogIsOn());
    EarlyLog("queued %d", 1);
    ScopedCaptureLog log;
    EarlyLog("direct");
    EXPECT_EQ(log.lines(), Lines{"direct"});
    EarlyLogQueue::instance().flush();
    const Lines lines = log.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "queued 1"), lines.end());
}

TEST(UnguessableLogName, IsTheStemAndSixteenRandomHexDigits) {
    const std::string first = UnguessableLogName("ZembricoInstall");
    const std::string second = UnguessableLogName("ZembricoInstall");
    EXPECT_TRUE(std::regex_match(first, std::regex("ZembricoInstall-[0-9a-f]{16}\\.log"))) << first;
    EXPECT_NE(first, second);
}

TEST(IsUnguessableLogName, OnlyNamesTheStemsOwnLogs) {
    EXPECT_TRUE(IsUnguessableLogName(UnguessableLogName("ZembricoInstall"), "ZembricoInstall"));
    EXPECT_TRUE(IsUnguessableLogName("ZembricoInstall-0123456789ABCDEF.log", "ZembricoInstall"));
    for (const char* other :
         {"ZembricoInstall.log", "ZembricoInstall-0123456789abcde.log",
          "ZembricoInstall-0123456789abcdef0.log", "ZembricoInstall-0123456789abcdeg.log",
          "ZembricoInstall-0123456789abcdef.txt", "ZembricoInstall_0123456789abcdef.log",
          "ZembricoUninstall-0123456789abcdef.log", "xZembricoInstall-0123456789abcdef.log",
          "ZembricoInstall-0123456789abcdef.log.bak"})
        EXPECT_FALSE(IsUnguessableLogName(other, "ZembricoInstall")) << other;
}

}  // namespace
