#include "installer/ZembricoInstall/faults/faultinstall.h"

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <span>

#include "installer/ZembricoInstall/clientsocket.h"
#include "installer/core/installcodes.h"
#include "installer/core/payloadfolder.h"
#include "installer/core/registrationplan.h"

namespace fs = std::filesystem;

InstallParameters FaultParameters(const fs::path& root, const std::string& displayName) {
    InstallParameters params;
    params.name = "Zembrico";
    params.displayName = displayName;
    params.workFolderName = "ZembricoWork";
    params.brand = "Zembrico";
    params.locale = 3;
    params.installFolder = (root / "inst" / "Zembrico").string();
    params.programsFolder = (root / "Programs").string();
    params.desktopFolder = (root / "Desktop").string();
    params.startMenuFolder = (root / "StartMenu").string();
    params.desktopShortcut = params.startMenuShortcut = 1;
    // Every settings step has something to write, so that its absence after a failure says that
    // it did not run.
    params.trackingText = "[TInfo]\nTHM=fault\n";
    params.universal = 1;
    params.site = "FR";
    fs::create_directories(params.desktopFolder);
    fs::create_directories(params.startMenuFolder);
    return params;
}

std::vector<std::uint8_t> FaultPayload(const fs::path& scratch,
                                       std::vector<std::pair<std::string, std::string>>& files) {
    std::string cards(40000, '\0');
    for (size_t i = 0; i < cards.size(); ++i) cards[i] = static_cast<char>(i * 7 % 251);
    files = {{"Zembrico.exe", std::string(3000, 'z')},
             {"ZembricoUninstall.exe", "uninstall"},
             {"ZembricoUpdate.exe", "update"},
             {"data\\cards.dat", cards},
             {"readme.txt", "hello"},
             {"zz.txt", "last"}};
    for (const auto& [name, bytes] : files) {
        std::string path = name;
        std::replace(path.begin(), path.end(), '\\', '/');
        WriteFile(scratch / path, bytes);
    }
    // The archive lists its files sorted byte-wise.
    std::sort(files.begin(), files.end());
    return PackPayloadFolder(scratch);
}

int ProgressOf(size_t index, size_t count) {
    return static_cast<int>(index * 100 / count);
}

void FaultInstallTest::SetUpTestSuite() {
    InitializeSockets();
    ASSERT_EQ(LoadEnglishMessages(), "");
}

void FaultInstallTest::TearDownTestSuite() {
    CleanupSockets();
}

void FaultInstallTest::SetUp() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / ("zbfaults-" + std::to_string(GetCurrentProcessId())) /
            test->name();
    fs::remove_all(root_);
    payload_ = FaultPayload(root_ / "payload", files_);
    params_ = FaultParameters(
        root_, "ZbFault " + std::to_string(GetCurrentProcessId()) + " " + test->name());
}

void FaultInstallTest::TearDown() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, Key().c_str());
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    CoUninitialize();
}

std::unique_ptr<InstallerWorkerThread> FaultInstallTest::MakeWorker() {
    return std::make_unique<InstallerWorkerThread>(
        kNoCollector, [this] { return std::span<const std::uint8_t>(payload_); });
}

std::vector<int> FaultInstallTest::Install(InstallerWorkerThread& worker, std::string* text) {
    EXPECT_TRUE(worker.start(params_, window_.handle(), kWmInstallProgress));
    std::vector<int> codes = window_.waitForEnd(text);
    worker.closeThreadHandle();
    return codes;
}

std::vector<int> FaultInstallTest::Install(std::string* text) {
    return Install(*MakeWorker(), text);
}

fs::path FaultInstallTest::Installed(const std::string& name) const {
    return fs::path(params_.installFolder) / name;
}

std::string FaultInstallTest::Key() const {
    return MakeRegistrationTexts(params_).key;
}

void FaultInstallTest::ExpectFilesUpTo(size_t complete, Next next) {
    for (size_t i = 0; i < files_.size(); ++i) {
        const auto& [name, bytes] = files_[i];
        const fs::path path = Installed(name);
        if (i < complete) {
            EXPECT_TRUE(ReadFile(path) == bytes) << name << " is not complete";
        } else if (i == complete && next == Next::kEmpty) {
            EXPECT_TRUE(fs::exists(path) && fs::file_size(path) == 0)
                << name << " is not there empty";
        } else if (i > complete || next == Next::kAbsent) {
            EXPECT_FALSE(fs::exists(path)) << name << " was created after the failure";
        }
    }
}

void FaultInstallTest::ExpectEveryFileInstalled() {
    ExpectFilesUpTo(files_.size(), Next::kAbsent);
}

void FaultInstallTest::ExpectNoSettingsFiles() {
    for (const char* name : {"tinfo.dat", "user.ini", "app.ini"})
        EXPECT_FALSE(fs::exists(Installed(name))) << name;
}

void FaultInstallTest::ExpectNotRegisteredAndNoSettings() {
    EXPECT_FALSE(KeyExists(Key()));
    ExpectNoSettingsFiles();
}

std::vector<int> FaultInstallTest::Progress(size_t count) {
    std::vector<int> codes;
    for (size_t i = 1; i <= count; ++i) codes.push_back(ProgressOf(i, 6));
    return codes;
}

std::vector<int> FaultInstallTest::ProgressThen(size_t count, int last) {
    std::vector<int> codes = Progress(count);
    codes.push_back(last);
    return codes;
}

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

bool ChildProcess::waitReady(int timeoutMs) {
    if (!process_ || !ready_) return false;
    const HANDLE waits[] = {ready_.get(), process_.get()};
    return WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

void ChildProcess::kill() {
    if (!process_) return;
    TerminateProcess(process_.get(), 9);
    WaitForSingleObject(process_.get(), 10000);
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
