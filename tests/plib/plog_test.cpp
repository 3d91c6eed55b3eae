#include "plib/plog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "plib/perror.h"
#include "plib/plogfile.h"
#include "plogtesting.h"
#include "tempfolder.h"

namespace {

using Lines = std::vector<std::string>;

// Installs nothing itself; makes sure no test leaves a process-wide logger behind.
class PLogTest : public ::testing::Test {
  protected:
    void TearDown() override {
        PLogExit();
        PErrorSetHook(nullptr);
    }
    TempFolder folder_;
    FakeLogClock clock_;
};

// Lines of the file after its timestamp line.
Lines LinesAfterStamp(const std::string& path) {
    Lines lines = LogLines(TempFolder::read(path));
    EXPECT_FALSE(lines.empty());
    if (!lines.empty()) {
        EXPECT_EQ(lines.front(), "[2026/01/02 10:00:00]");
        lines.erase(lines.begin());
    }
    return lines;
}

TEST_F(PLogTest, InitWritesTheStartUpLinesInOrder) {
    const std::string path = folder_.file("Install.log");
    PLogInit(std::make_unique<PLogFile>(path.c_str(), 0, nullptr, clock_));
    PLog("after %s", "init");
    PLogExit();
    const Lines lines = LinesAfterStamp(path);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "VC++ __active_heap = 1");
    EXPECT_TRUE(
        std::regex_match(lines[1], std::regex("GetProcessAffinityMask=0x[1-9A-F][0-9A-F]*")))
        << lines[1];
    EXPECT_EQ(lines[2], "tryLock supported");
    EXPECT_EQ(lines[3], "PLIB_ALTERNATING_RW_WAIT disabled");
    EXPECT_EQ(lines[4], "PID=" + std::to_string(PProcessId()));
    EXPECT_EQ(lines[5], std::string("BASEADDR=0x") + PLogFormatAddress(PModuleBase()).c_str());
    EXPECT_EQ(lines[6], "PLogFile bufferedLogger disabled");
    EXPECT_EQ(lines[7], "buildtag 'unknown', buildtype 'unknown'");
    EXPECT_EQ(lines[8], "after init");
}

TEST_F(PLogTest, StartUpLinesFollowTheOptions) {
    const std::string path = folder_.file("b.log");
    PLogInit(std::make_unique<PLogFile>(path.c_str(), PLogOption::kBuffered | PLogOption::kPid,
                                        nullptr, clock_));
    PLogExit();  // destroys the logger, which writes out its buffer
    const Lines lines = LinesAfterStamp(path);
    const std::string pid = "PID=" + std::to_string(PProcessId()) + " ";
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], pid + "PLIB_ALTERNATING_RW_WAIT disabled");
    EXPECT_EQ(lines[4].rfind(pid + "BASEADDR=0x", 0), 0u) << lines[4];
    EXPECT_EQ(lines[5], pid + "PLogFile bufferedLogger enabled");
}

TEST_F(PLogTest, SecondInitIsAnAssertionAndKeepsTheFirstLogger) {
    const std::string first = folder_.file("first.log");
    PLogInit(std::make_unique<PLogFile>(first.c_str(), 0, nullptr, clock_));
    PLogFile second(folder_.file("second.log").c_str(), 0, nullptr, clock_);
    try {
        PLogInit(second);
        FAIL() << "no assertion";
    } catch (const PAssert& e) {
        EXPECT_STREQ(e.why(), "Assertion failed: , file plib/pplogfile, line 1018");
    }
    PLog("still first");
    EXPECT_EQ(LogLines(TempFolder::read(first)).back(), "still first");
    EXPECT_EQ(TempFolder::read(folder_.file("second.log")), "");
}

TEST_F(PLogTest, ExitStopsLoggingAndAllowsANewInit) {
    EXPECT_FALSE(PLogIsOn());
    PLog("nowhere");  // no logger yet: nothing happens
    PLogFile log(folder_.file("a.log").c_str(), 0, nullptr, clock_);
    PLogInit(log);
    EXPECT_TRUE(PLogIsOn());
    PLogExit();
    EXPECT_FALSE(PLogIsOn());
    PLog("dropped");
    PLogInit(log);
    PLogExit();
    EXPECT_EQ(TempFolder::read(folder_.file("a.log")).find("dropped"), std::string::npos);
}

TEST_F(PLogTest, ThreadLoggerComesBeforeTheProcessLogger) {
    PLogFile process(folder_.file("p.log").c_str(), 0, nullptr, clock_);
    auto own = std::make_shared<PLogFile>(folder_.file("t.log").c_str(), 0, nullptr, clock_);
    PLogSetThreadLogger(own);
    EXPECT_TRUE(PLogIsOn());
    PLogInit(process);  // its start-up lines go to this thread's logger too
    PLog("mine");
    std::thread([] { PLog("theirs"); }).join();
    PLogSetThreadLogger(nullptr);
    EXPECT_EQ(LogLines(TempFolder::read(folder_.file("t.log"))).back(), "mine");
    EXPECT_EQ(LogLines(TempFolder::read(folder_.file("p.log"))).back(), "theirs");
}

TEST_F(PLogTest, ErrorHookOptionLogsEveryError) {
    const std::string path = folder_.file("e.log");
    PLogInit(std::make_unique<PLogFile>(path.c_str(), PLogOption::kErrorHook, nullptr, clock_));
    EXPECT_TRUE(PErrorHasHook());
    PInternalError("disk gone");
    EXPECT_EQ(LogLines(TempFolder::read(path)).back(), "PError( 'disk gone' )");
}

TEST_F(PLogTest, RedirectStderrOptionReopensItBesideTheLog) {
    const std::string path = folder_.file("r.log");
    {
        RestoreStream restore(stderr);
        PLogInit(
            std::make_unique<PLogFile>(path.c_str(), PLogOption::kRedirectStderr, nullptr, clock_));
        std::fputs("later\n", stderr);
    }
    const std::string text = TempFolder::read(path + ".stderr");
    // Standard error is a text stream: on Windows each LF reaches the file as CR LF.
    const std::regex expected(
        "\\[\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\]\r?\n"
        "stderr reopened Ok\r?\n"
        "stderr reopened - testing stderr\r?\nlater\r?\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
    EXPECT_EQ(LinesAfterStamp(path)[0], "VC++ __active_heap = 1");
}

TEST_F(PLogTest, InitInstallsANewHandlerThatThrowsTheProgramsMemoryError) {
    PLogFile log(nullptr, 0, nullptr, clock_);
    PLogInit(log);
    const std::new_handler handler = std::get_new_handler();
    ASSERT_NE(handler, nullptr);
    try {
        handler();
        FAIL() << "no error";
    } catch (const PSystemMemoryError& e) {
        EXPECT_STREQ(e.why(), "'new', number of bytes requested: 0x0");
    }
    std::set_new_handler(nullptr);
}

// Counts its lines and poisons its memory when destroyed, so that a write through a destroyed
// logger shows (under AddressSanitizer as a use after free).
class SlowLog : public PLogFile {
  public:
    explicit SlowLog(std::atomic<int>& alive) : PLogFile(nullptr, 0, nullptr), alive_(alive) {
        ++alive_;
    }
    ~SlowLog() override { --alive_; }
    void writeFormatted(const char*, const char*, va_list) override {
        ++*lines_;
        std::this_thread::yield();
        ++*lines_;
    }

  private:
    std::atomic<int>& alive_;
    std::unique_ptr<std::atomic<int>> lines_ = std::make_unique<std::atomic<int>>(0);
};

TEST_F(PLogTest, ExitWaitsForLinesUnderWayThenDestroysTheOwnedLogger) {
    std::atomic<int> alive{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    for (int i = 0; i < 3; ++i) {
        writers.emplace_back([&stop] {
            while (!stop) {
                PLog("line");
            }
        });
    }
    int leftAlive = 0;  // loggers that outlived their PLogExit
    for (int round = 0; round < 300; ++round) {
        PLogInit(std::make_unique<SlowLog>(alive));
        std::this_thread::yield();
        PLogExit();
        leftAlive += alive;
    }
    stop = true;
    for (auto& writer : writers) {
        writer.join();
    }
    EXPECT_EQ(leftAlive, 0);
}

}  // namespace
