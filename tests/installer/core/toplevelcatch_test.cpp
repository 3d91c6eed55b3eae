#include "installer/core/toplevelcatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "installer/core/capturelog.h"
#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"

namespace {

using Lines = std::vector<std::string>;

TEST(RunCaught, TheBodysResultPassesThroughWithoutALineOrAReport) {
    ScopedCaptureLog log;
    bool reported = false;
    EXPECT_EQ(RunCaught(
                  "X()", 7, [] { return -1; }, [&](const std::string&) { reported = true; }),
              -1);
    EXPECT_FALSE(reported);
    EXPECT_EQ(log.lines(), Lines{});
}

TEST(RunCaught, EveryExceptionIsLoggedReportedAndEndsWithTheFailureCode) {
    struct Case {
        std::function<void()> raise;
        std::string line;
        std::string report;
    };
    const Case cases[] = {
        {[] { throw PInternalError("bad table"); }, "PError caught in WinMain(): bad table",
         "bad table"},
        {[] { throw std::runtime_error("vector too long"); },
         "std::exception caught in WinMain(): vector too long", "vector too long"},
        {[] { throw 42; }, "... caught in WinMain()", "Unexpected error in WinMain()"},
        {[] { throw PInternalError(""); },
         "PError caught in WinMain(): ", "Unexpected error in WinMain()"},
    };
    for (const Case& c : cases) {
        ScopedCaptureLog log;
        std::string reported;
        const int code = RunCaught(
            "WinMain()", 2,
            [&]() -> int {
                c.raise();
                return 0;
            },
            [&](const std::string& text) { reported = text; });
        EXPECT_EQ(code, 2) << c.line;
        EXPECT_EQ(log.lines(), Lines{c.line});
        EXPECT_EQ(reported, c.report);
    }
}

TEST(RunCaught, AReportThatFailsIsLoggedAndTheFailureCodeStands) {
    ScopedCaptureLog log;
    const int code = RunCaught(
        "main()", 6, []() -> int { throw std::runtime_error("first"); },
        [](const std::string&) { throw PInternalError("no window"); });
    EXPECT_EQ(code, 6);
    EXPECT_EQ(log.lines(), (Lines{"std::exception caught in main(): first",
                                  "PError caught in main(): no window"}));
}

TEST(RunCaught, BeforeAnyLogTheLineWaitsForTheNextOne) {
    ASSERT_FALSE(PLogIsOn());
    RunCaught(
        "WinMain()", 2, []() -> int { throw 1; }, [](const std::string&) {});
    ScopedCaptureLog log;
    EarlyLogQueue::instance().flush();
    const Lines lines = log.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "... caught in WinMain()"), lines.end());
}

}  // namespace
