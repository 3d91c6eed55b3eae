#include "installer/ZembricoInstall/faults/faultinstall.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::wstring Widen(const std::string& text) {
    return fs::path(text).wstring();
}

}  // namespace

ChildProcess::ChildProcess(const char* testName,
                           const std::vector<std::pair<std::string, std::string>>& env) {
    static int children = 0;
    const std::string readyName =
        "ZbFaultReady-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++children);
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
    std::vector<std::pair<std::string, std::string>> all = env;
    all.emplace_back("ZB_FAULT_READY", readyName);
    all.emplace_back("ZB_FAULT_PARENT", std::to_string(GetCurrentProcessId()));
    for (const auto& [name, value] : all) SetEnvironmentVariableA(name.c_str(), value.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests " +
                           L"--gtest_filter=FaultChild." + Widen(testName);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &started)) {
        process_.reset(started.hProcess);
        UniqueHandle thread(started.hThread);
    }
    for (const auto& [name, value] : all) SetEnvironmentVariableA(name.c_str(), nullptr);
}

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::waitReady() {
    if (!process_ || !ready_) return false;
    const HANDLE waits[] = {ready_.get(), process_.get()};
    return WaitForMultipleObjects(2, waits, FALSE, kWouldHangMs) == WAIT_OBJECT_0;
}

void ChildProcess::kill() {
    if (!process_) return;
    TerminateProcess(process_.get(), 9);
    WaitForSingleObject(process_.get(), kWouldHangMs);
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void SignalParent() {
    const UniqueHandle ready(
        OpenEventA(EVENT_MODIFY_STATE, FALSE, Environment("ZB_FAULT_READY").c_str()));
    if (ready) SetEvent(ready.get());
}

void HoldUntilParentEnds() {
    const UniqueHandle parent(OpenProcess(
        SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(Environment("ZB_FAULT_PARENT")))));
    if (parent) WaitForSingleObject(parent.get(), INFINITE);
}
