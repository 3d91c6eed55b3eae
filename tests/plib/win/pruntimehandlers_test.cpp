// The runtime handlers and the top-level catch in a real process: a child program fails in one
// way each and its log and exit code are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "installer/core/installcodes.h"

namespace {

namespace fs = std::filesystem;

// What msvcrt's abort() ends a process with.
constexpr DWORD kAbortExitCode = 3;

struct Outcome {
    DWORD exitCode = 0;
    std::vector<std::string> lines;

    bool has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // Whether `first` stands in the log before `second`.
    bool inOrder(const std::string& first, const std::string& second) const {
        const auto a = std::find(lines.begin(), lines.end(), first);
        return a != lines.end() && std::find(a, lines.end(), second) != lines.end();
    }
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    out << "exit " << outcome.exitCode << ", log:";
    for (const std::string& line : outcome.lines) out << "\n  " << line;
    return out;
}

fs::path Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / name;
}

Outcome RunChild(const std::string& how) {
    const fs::path program = Beside(L"zbruntimefailure.exe");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const fs::path log = fs::path(temp) / ("zbruntimefailure-" + how + ".log");
    fs::remove(log);
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + fs::path(how).wstring() +
                               L" \"" + log.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Outcome outcome;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << program << ": " << GetLastError();
        return outcome;
    }
    // A safety net only: the child ends by itself at once. One that hangs must not outlive the
    // test, or it would keep the test runner waiting on its output.
    if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the child did not end";
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 60000);
    }
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::ifstream in(log, std::ios::binary);
    std::istringstream text(std::string(std::istreambuf_iterator<char>(in), {}));
    in.close();
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        outcome.lines.push_back(line);
    }
    fs::remove(log);
    return outcome;
}

TEST(RuntimeFailure, PureVirtualCallIsLoggedThenTheProcessAborts) {
    const Outcome outcome = RunChild("purecall");
    EXPECT_TRUE(outcome.inOrder("*** PureCall ***", "abort() called")) << outcome;
    EXPECT_EQ(outcome.exitCode, kAbortExitCode) << outcome;
}

TEST(RuntimeFailure, AbortIsLogged) {
    const Outcome outcome = RunChild("abort");
    EXPECT_TRUE(outcome.has("abort() called")) << outcome;
    EXPECT_EQ(outcome.exitCode, kAbortExitCode) << outcome;
}

TEST(RuntimeFailure, AnExceptionAtTheTopEndsWithTheStartupFailureCodeAndALine) {
    const Outcome thrown = RunChild("throw");
    EXPECT_TRUE(thrown.has("std::exception caught in main(): thrown at start-up")) << thrown;
    EXPECT_EQ(thrown.exitCode, static_cast<DWORD>(ExitValue(InstallExit::kStartupFailed)))
        << thrown;

    const Outcome other = RunChild("throwint");
    EXPECT_TRUE(other.has("... caught in main()")) << other;
    EXPECT_EQ(other.exitCode, static_cast<DWORD>(ExitValue(InstallExit::kStartupFailed))) << other;
}

TEST(RuntimeFailure, AnOverrunStackBufferEndsTheProcessAtOnceWithoutHandlers) {
    // qemu-i386 reports the fast-fail interrupt as an illegal instruction; Wine then starts its
    // crash debugger, which does not come back under the emulator.
    if (std::getenv("ZB_WINE_EMULATED"))
        GTEST_SKIP() << "the emulator does not deliver the fast-fail interrupt as Windows does";
    const Outcome outcome = RunChild("overrun");
    EXPECT_EQ(outcome.exitCode, STATUS_STACK_BUFFER_OVERRUN) << outcome;
    // Nothing of the overwritten process runs: no handler's line, no top-level catch.
    EXPECT_FALSE(outcome.has("abort() called")) << outcome;
    EXPECT_FALSE(outcome.has("... caught in main()")) << outcome;
}

}  // namespace
