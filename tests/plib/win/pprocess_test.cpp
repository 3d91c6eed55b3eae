#include "plib/win/pprocess.h"

#include <gtest/gtest.h>

#include <string>

#include "plib/pstringencoding.h"
#include "plib/tempfolder.h"
#include "plib/win/widenarrowscope.h"
#include "plib/winseam/unique.h"

namespace {

// Starts `commandLine`, waits for it and gives its exit code; -1 when it could not start.
long long RunToExit(const PString* application, const char* commandLine, const PString* directory) {
    const PString line(commandLine);
    PROCESS_INFORMATION info{};
    if (!PCreateProcess(application, &line, directory, &PMixedEncoding(), info)) return -1;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    EXPECT_NE(info.dwProcessId, 0u);
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

TEST(PCreateProcess, StartsACommandLineAndItsExitCodeIsRead) {
    EXPECT_EQ(RunToExit(nullptr, "cmd.exe /c exit 7", nullptr), 7);
}

TEST(PCreateProcess, RunsTheApplicationInTheGivenDirectory) {
    TempFolder folder;
    const PString directory(folder.path().string().c_str());
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    PString application;
    PUtf16ToPString(application, (std::wstring(system) + L"\\cmd.exe").c_str());
    ASSERT_EQ(RunToExit(&application, "cmd.exe /c cd > here.txt", &directory), 0);
    std::string here = TempFolder::read(folder.file("here.txt"));
    while (!here.empty() && (here.back() == '\n' || here.back() == '\r')) here.pop_back();
    EXPECT_EQ(here, directory.c_str());
}

TEST(PCreateProcess, NarrowFormStartsToo) {
    const WideNarrowScope narrow(-1);
    EXPECT_EQ(RunToExit(nullptr, "cmd.exe /c exit 3", nullptr), 3);
}

TEST(PCreateProcess, MissingApplicationFailsWithTheSystemError) {
    const PString application("C:\\zembrico-missing\\none.exe");
    const PString line("none.exe");
    PROCESS_INFORMATION info{};
    EXPECT_FALSE(PCreateProcess(&application, &line, nullptr, &PMixedEncoding(), info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(info.hProcess, nullptr);
}

// An elevated program starts what it copied from a folder of its own, never from the current
// folder it was given, where DLLs and programs of anyone's choosing may lie.
TEST(PCreateProcessFromSystemFolder, RunsInTheSystemFolder) {
    TempFolder folder;
    const std::string system = PSystemFolder();
    ASSERT_FALSE(system.empty());
    const std::string report = folder.file("here.txt");
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(PCreateProcessFromSystemFolder(system + "\\cmd.exe",
                                               "cmd.exe /c cd > \"" + report + "\"", info));
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    ASSERT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    std::string here = TempFolder::read(report);
    while (!here.empty() && (here.back() == '\n' || here.back() == '\r')) here.pop_back();
    EXPECT_EQ(CompareStringOrdinal(std::wstring(here.begin(), here.end()).c_str(), -1,
                                   std::wstring(system.begin(), system.end()).c_str(), -1, TRUE),
              CSTR_EQUAL)
        << here;
    PROCESS_INFORMATION none{};
    EXPECT_FALSE(
        PCreateProcessFromSystemFolder("C:\\zembrico-missing\\none.exe", "none.exe", none));
    EXPECT_EQ(none.hProcess, nullptr);
}

}  // namespace
