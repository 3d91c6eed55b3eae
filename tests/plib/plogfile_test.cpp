#include "plib/plogfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "plib/perror.h"
#include "plogtesting.h"
#include "tempfolder.h"

namespace {

using Lines = std::vector<std::string>;

template <typename... Texts>
Lines LinesOf(const Texts&... texts) {
    return Lines{std::string(texts)...};
}

std::string PidLine() {
    return "PID=" + std::to_string(PProcessId());
}

std::string BaseAddressLine() {
    return std::string("BASEADDR=0x") + PLogFormatAddress(PModuleBase()).c_str();
}

class PLogFileTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return folder_.file(name); }
    std::string read(const std::string& name) const { return TempFolder::read(path(name)); }
    std::vector<std::string> lines(const std::string& name) const { return LogLines(read(name)); }
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }

    TempFolder folder_;
    FakeLogClock clock_;
};

TEST_F(PLogFileTest, LinesOfOneSecondShareOneTimestampLine) {
    PLogFile log(path("a.log").c_str(), 0, nullptr, clock_);
    WriteLine(log, "first %d", 1);
    WriteLine(log, "second");
    clock_.set(2026, 1, 2, 10, 0, 1);
    WriteLine(log, "third");
    WriteLine(log, "fourth");
    clock_.set(2026, 1, 2, 10, 0, 1, 999999);
    WriteLine(log, "fifth");
    EXPECT_EQ(read("a.log"),
              "[2026/01/02 10:00:00]\r\nfirst 1\r\nsecond\r\n"
              "[2026/01/02 10:00:01]\r\nthird\r\nfourth\r\nfifth\r\n");
}

TEST_F(PLogFileTest, LongLineIsCutAt1024BytesAndStillEndsCrLf) {
    PLogFile log(path("a.log").c_str(), PLogOption::kPid, nullptr, clock_);
    const std::string exact(
        1024 - std::string("PID=").size() - 1 - std::to_string(PProcessId()).size(), 'e');
    const std::string longer(3000, 'x');
    WriteLine(log, "%s", exact.c_str());
    WriteLine(log, "%s", longer.c_str());
    WriteLine(log, "after");
    const auto got = lines("a.log");
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[1], "PID=" + std::to_string(PProcessId()) + " " + exact);
    EXPECT_EQ(got[2].size(), PLogFile::kLineSize);
    EXPECT_EQ(got[2].substr(got[2].size() - 10), std::string(10, 'x'));
    EXPECT_EQ(got[3], "PID=" + std::to_string(PProcessId()) + " after");
}

TEST_F(PLogFileTest, PrefixesInTheirOrder) {
    PLogFile log(path("a.log").c_str(),
                 PLogOption::kTimeOfDay | PLogOption::kPid | PLogOption::kThreadId |
                     PLogOption::kContextPrefix,
                 nullptr, clock_);
    clock_.set(2026, 1, 2, 9, 8, 7, 654);
    PLogSetContext("user", "ann");
    PLogSetContext("step", "3");
    log.writeCounted("text and more", 4);
    PLogSetContext("user", nullptr);
    PLogSetContext("step", nullptr);
    const std::string ids =
        "PID=" + std::to_string(PProcessId()) + " THREADID=" + std::to_string(PThreadId()) + " ";
    EXPECT_EQ(lines("a.log"), LinesOf("[2026/01/02 09:08:07]",
                                      "09:08:07.000654 " + ids + "[user=ann] [step=3] text"));
}

TEST_F(PLogFileTest, UtcMarksTimestampsAndTimeOfDayWithZ) {
    PLogFile log(path("a.log").c_str(), PLogOption::kUtc | PLogOption::kTimeOfDay, nullptr, clock_);
    clock_.set(2026, 12, 31, 23, 59, 59, 1);
    WriteLine(log, "z");
    EXPECT_EQ(lines("a.log"), LinesOf("[2026/12/31 23:59:59Z]", "23:59:59.000001Z z"));
}

TEST_F(PLogFileTest, StdoutOptionCopiesEachLine) {
    const std::string copy = path("stdout.txt");
    {
        RestoreStream restore(stdout);
        ASSERT_TRUE(std::freopen(copy.c_str(), "wb", stdout));
        PLogFile log(path("a.log").c_str(), PLogOption::kStdout, nullptr, clock_);
        WriteLine(log, "seen twice");
    }
    EXPECT_EQ(TempFolder::read(copy), "seen twice\r\n");
    EXPECT_EQ(read("a.log"), "[2026/01/02 10:00:00]\r\nseen twice\r\n");
}

TEST_F(PLogFileTest, DailyFilesChangeWithTheDateAndCountReopensOfOneDay) {
    PLogFile log(path("d.log").c_str(), PLogOption::kDaily, nullptr, clock_);
    EXPECT_EQ(std::string(log.fileName().c_str()), path("d.log.20260102"));
    WriteLine(log, "one");
    clock_.set(2026, 1, 3, 0, 0, 0);
    WriteLine(log, "two");
    EXPECT_EQ(lines("d.log.20260102"), LinesOf("[2026/01/02 10:00:00]", "one"));
    EXPECT_EQ(lines("d.log.20260103"),
              LinesOf("[2026/01/03 00:00:00]", PidLine(), BaseAddressLine(), "two"));
    EXPECT_TRUE(log.reopen());
    WriteLine(log, "three");
    EXPECT_EQ(std::string(log.fileName().c_str()), path("d.log.1.20260103"));
    EXPECT_EQ(lines("d.log.1.20260103"),
              LinesOf("[2026/01/03 00:00:00]", PidLine(), BaseAddressLine(), "three"));
}

TEST_F(PLogFileTest, ReopenOnlyInDailyMode) {
    PLogFile log(path("a.log").c_str(), 0, nullptr, clock_);
    EXPECT_FALSE(log.reopen());
}

struct GenerationCase {
    const char* existing;  // content of name.0 before the logger starts
    bool moved;            // whether it becomes name.1
};

TEST_F(PLogFileTest, TwoGenerationsKeepTodaysFileAndMoveAnyOther) {
    const GenerationCase cases[] = {
        {"[2026/01/01 23:00:00]\r\nold\r\n", true},
        {"[2026/01/02 08:00:00]\r\ntoday\r\n", false},
        {"[2026/01/02", true},  // shorter than the 12 bytes of a day's first line
        {"", true},
    };
    for (const auto& c : cases) {
        TempFolder::write(path("g.log.0"), c.existing);
        TempFolder::write(path("g.log.1"), "older\r\n");
        {
            PLogFile log(path("g.log").c_str(), PLogOption::kTwoGenerations, nullptr, clock_);
            WriteLine(log, "new");
        }
        const std::string current = "[2026/01/02 10:00:00]\r\nnew\r\n";
        if (c.moved) {
            EXPECT_EQ(read("g.log.1"), c.existing) << c.existing;
            EXPECT_EQ(read("g.log.0"), current) << c.existing;
        } else {
            EXPECT_EQ(read("g.log.1"), "older\r\n") << c.existing;
            EXPECT_EQ(read("g.log.0"), c.existing + current) << c.existing;
        }
    }
}

TEST_F(PLogFileTest, TwoGenerationsRotateWhenTheDayChanges) {
    PLogFile log(path("g.log").c_str(), PLogOption::kTwoGenerations | PLogOption::kPid, nullptr,
                 clock_);
    WriteLine(log, "monday");
    clock_.set(2026, 1, 3, 0, 0, 1);
    WriteLine(log, "tuesday");
    EXPECT_EQ(read("g.log.1"),
              "[2026/01/02 10:00:00]\r\nPID=" + std::to_string(PProcessId()) + " monday\r\n");
    EXPECT_EQ(read("g.log.0"),
              "[2026/01/03 00:00:01]\r\nPID=" + std::to_string(PProcessId()) + " tuesday\r\n");
}

TEST_F(PLogFileTest, KeepPreviousMovesTheLastRunsFileAtTheFirstOpen) {
    TempFolder::write(path("k.log.0"), "last run\r\n");
    TempFolder::write(path("k.log.1"), "run before\r\n");
    PLogFile log(path("k.log").c_str(), PLogOption::kKeepPrevious, nullptr, clock_);
    WriteLine(log, "this run");
    EXPECT_EQ(read("k.log.1"), "last run\r\n");
    EXPECT_EQ(read("k.log.0"), "[2026/01/02 10:00:00]\r\nthis run\r\n");
}

TEST_F(PLogFileTest, MinuteRotationStartsANewFileEachPeriod) {
    clock_.set(2026, 1, 2, 10, 2, 30);
    const std::string rotatingName = "R5;" + path("m.log");
    PLogFile log(rotatingName.c_str(), 0, nullptr, clock_);
    EXPECT_EQ(std::string(log.fileName().c_str()), path("m.log.36150"));
    WriteLine(log, "a");
    clock_.set(2026, 1, 2, 10, 4, 59);
    WriteLine(log, "b");
    clock_.set(2026, 1, 2, 10, 5, 0);
    WriteLine(log, "c");
    EXPECT_EQ(lines("m.log.36150"),
              LinesOf("[2026/01/02 10:02:30]", "a", "[2026/01/02 10:04:59]", "b"));
    EXPECT_EQ(lines("m.log.36300"), LinesOf("[2026/01/02 10:05:00]", PidLine(), "c"));
}

TEST_F(PLogFileTest, RotationPeriodAboveADayIsOff) {
    const std::string rotatingName = "R1440;" + path("m.log");
    PLogFile log(rotatingName.c_str(), 0, nullptr, clock_);
    WriteLine(log, "a");
    EXPECT_EQ(std::string(log.fileName().c_str()), path("m.log"));
    EXPECT_EQ(lines("m.log"), LinesOf("[2026/01/02 10:00:00]", "a"));
}

TEST_F(PLogFileTest, BufferedLinesWaitForTheFlushInterval) {
    PLogFile log(path("b.log").c_str(), PLogOption::kBuffered, nullptr, clock_);
    log.setFlushInterval(1000);
    WriteLine(log, "a");
    clock_.setTicks(999);
    WriteLine(log, "b");
    EXPECT_EQ(read("b.log"), "");
    clock_.setTicks(1000);
    WriteLine(log, "c");
    EXPECT_EQ(read("b.log"), "[2026/01/02 10:00:00]\r\na\r\nb\r\n");
    log.flush();
    EXPECT_EQ(read("b.log"), "[2026/01/02 10:00:00]\r\na\r\nb\r\nc\r\n");
    WriteLine(log, "d");
    log.writeRaw("raw");
    EXPECT_EQ(read("b.log"), "[2026/01/02 10:00:00]\r\na\r\nb\r\nc\r\nd\r\nraw");
}

TEST_F(PLogFileTest, BufferedLinesAreWrittenWhenTheLoggerEnds) {
    {
        PLogFile log(path("b.log").c_str(), PLogOption::kBuffered, nullptr, clock_);
        WriteLine(log, "kept");
        EXPECT_EQ(read("b.log"), "");
    }
    EXPECT_EQ(read("b.log"), "[2026/01/02 10:00:00]\r\nkept\r\n");
}

TEST_F(PLogFileTest, AFileThatCannotBeOpenedIsTriedAgainAtTheNextLine) {
    const std::string name = folder_.file("later/x.log");
    PLogFile log(name.c_str(), 0, nullptr, clock_);
    EXPECT_FALSE(log.checkBeforeWrite(true));
    WriteLine(log, "lost");
    std::filesystem::create_directory(folder_.path() / "later");
    WriteLine(log, "found");
    EXPECT_TRUE(log.checkBeforeWrite(false));
    EXPECT_EQ(TempFolder::read(name), "[2026/01/02 10:00:00]\r\nfound\r\n");
}

TEST_F(PLogFileTest, ChangeOptionsTouchesOnlyTheChangeableBits) {
    PLogFile log(nullptr, PLogOption::kDaily, nullptr, clock_);
    log.changeOptions(0xFFFFFFFF, PLogOption::kPid | PLogOption::kBuffered);
    EXPECT_TRUE(log.testOption(PLogOption::kPid));
    EXPECT_FALSE(log.testOption(PLogOption::kBuffered));
    EXPECT_TRUE(log.testOption(PLogOption::kDaily));  // not changeable: kept
    log.changeOptions(PLogOption::kThreadId, PLogOption::kThreadId | PLogOption::kStdout);
    EXPECT_TRUE(log.testOption(PLogOption::kThreadId));
    EXPECT_FALSE(log.testOption(PLogOption::kStdout));
    EXPECT_TRUE(log.testOption(PLogOption::kPid));
}

TEST_F(PLogFileTest, ContextOnceIsWrittenAgainOnlyAfterItChanges) {
    PLogFile log(path("c.log").c_str(), PLogOption::kContextOnce, nullptr, clock_);
    PLogSetContext("job", "7");
    WriteLine(log, "a");
    WriteLine(log, "b");
    PLogSetContext("job", "8");
    WriteLine(log, "c");
    PLogSetContext("job", nullptr);
    EXPECT_EQ(lines("c.log"),
              LinesOf("[2026/01/02 10:00:00]", "[job=7] ", "a", "b", "[job=8] ", "c"));
}

class NameListener : public PLogListener {
  public:
    explicit NameListener(std::vector<std::string>& seen) : seen_(seen) {}
    void onNewFile(PLogBase& log) override { seen_.emplace_back(log.fileName().c_str()); }

  private:
    std::vector<std::string>& seen_;
};

TEST_F(PLogFileTest, ListenersHearOfEachNewFileAndTheListIsBounded) {
    std::vector<std::string> seen;
    PLogFile log(path("d.log").c_str(), PLogOption::kDaily, nullptr, clock_);
    log.addListener(std::make_unique<NameListener>(seen));
    clock_.set(2026, 1, 3, 0, 0, 0);
    WriteLine(log, "x");
    EXPECT_EQ(seen, LinesOf(path("d.log.20260103")));
    for (std::size_t i = 1; i < PLogFile::kMaxListeners; ++i) {
        log.addListener(std::make_unique<NameListener>(seen));
    }
    try {
        log.addListener(std::make_unique<NameListener>(seen));
        FAIL() << "no error";
    } catch (const PInternalError& e) {
        EXPECT_STREQ(e.why(), "list too long");
    }
}

}  // namespace

// Each reading is a day later than the one before, so that every line that reads the clock
// changes the file.
class RacingClock : public PLogClock {
  public:
    PLogTime now(bool) const override {
        const int n = count_++;
        return {PMakeTm(2026, 3, 1 + n % 28, 12, 0, 0, 0), 0};
    }
    std::uint64_t ticks() const override { return 0; }

  private:
    mutable std::atomic<int> count_{0};
};

TEST_F(PLogFileTest, NoLineIsLostWhileOtherThreadsChangeTheFile) {
    RacingClock clock;
    constexpr int kThreads = 4;
    constexpr int kLines = 400;
    {
        PLogFile log(path("race.log").c_str(), PLogOption::kDaily, nullptr, clock);
        std::vector<std::thread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([&log] {
                for (int i = 0; i < kLines; ++i) {
                    WriteLine(log, "w");
                }
            });
        }
        for (auto& writer : writers) {
            writer.join();
        }
    }
    int written = 0;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
        ++files;
        for (const std::string& line : LogLines(TempFolder::read(entry.path().string()))) {
            written += line == "w" ? 1 : 0;
        }
    }
    // How many lines skip the clock under contention depends on the scheduler, but one always
    // reads it (a line skips only while another holds the lock to read it), so the file that
    // the constructor opened was changed at least once while others wrote.
    EXPECT_GE(files, 2);
    EXPECT_EQ(written, kThreads * kLines);
}
