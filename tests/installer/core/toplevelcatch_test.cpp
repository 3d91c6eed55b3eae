#include "installer/core/toplevelcatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
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

// The worker's DoInstall() names a system failure apart from other errors; SetUserIniFile()'s
// reading names only internal errors and tells the rest as "..."; StoreTInfoFile() tells
// anything else as a PError without a message; the window procedures name std::exceptions
// "Exception".
TEST(Caught, EachRuleNamesWhatItCatchesInItsOwnWords) {
    const CatchRule doInstall{.place = "D()", .systemError = "PSystemError"};
    const CatchRule read{.place = "R()", .internalError = "PInternalError", .error = nullptr};
    const CatchRule tInfo{.place = "T()", .other = "PError"};
    const CatchRule window{.place = "W()", .exception = "Exception", .other = nullptr};
    struct Case {
        const CatchRule* rule;
        std::function<void()> raise;
        std::string line;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {&doInstall, [] { throw PSystemError("disk", "full"); },
         "PSystemError caught in D(): disk: full", "disk: full"},
        {&doInstall, [] { throw PInternalError("bad"); }, "PError caught in D(): bad", "bad"},
        {&doInstall, [] { throw std::runtime_error("x"); }, "... caught in D()", std::nullopt},
        {&read, [] { throw PSystemError("read", "gone"); },
         "PInternalError caught in R(): read: gone", "read: gone"},
        {&read, [] { throw PError("plain"); }, "... caught in R()", std::nullopt},
        {&tInfo, [] { throw 3; }, "PError caught in T()", std::nullopt},
        {&window, [] { throw std::length_error("long"); }, "Exception caught in W(): long", "long"},
        {&window, [] { throw PInternalError("no"); }, "PError caught in W(): no", "no"},
    };
    for (const Case& c : cases) {
        Lines lines;
        std::optional<std::string> given = "not called";
        const int answer = Caught(
            *c.rule, [&](const std::string& line) { lines.push_back(line); },
            [&] {
                c.raise();
                return 0;
            },
            [&](const std::optional<std::string>& message) {
                given = message;
                return 5;
            });
        EXPECT_EQ(answer, 5) << c.line;
        EXPECT_EQ(lines, Lines{c.line});
        EXPECT_EQ(given, c.message) << c.line;
    }
}

TEST(Caught, WhatTheRuleLeavesUnnamedReachesTheCallerUnlogged) {
    const CatchRule analytics{
        .place = "A()", .systemError = "PSystemError", .error = nullptr, .other = nullptr};
    Lines lines;
    const CatchLog log = [&](const std::string& line) { lines.push_back(line); };
    bool fellBack = false;
    const auto fallback = [&](const std::optional<std::string>&) { fellBack = true; };
    EXPECT_THROW(Caught(
                     analytics, log, [] { throw PInternalError("not a socket's"); }, fallback),
                 PInternalError);
    EXPECT_THROW(Caught(
                     analytics, log, [] { throw std::runtime_error("r"); }, fallback),
                 std::runtime_error);
    EXPECT_FALSE(fellBack);
    EXPECT_EQ(lines, Lines{});
    Caught(
        analytics, log, [] {}, fallback);
    EXPECT_FALSE(fellBack);
    Caught(
        analytics, log, [] { throw PSystemError("connect", "refused"); }, fallback);
    EXPECT_TRUE(fellBack);
    EXPECT_EQ(lines, Lines{"PSystemError caught in A(): connect: refused"});
}

}  // namespace
