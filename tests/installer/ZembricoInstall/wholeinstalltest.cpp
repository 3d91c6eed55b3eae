#include "installer/ZembricoInstall/wholeinstalltest.h"

#include <objbase.h>

#include <algorithm>
#include <span>

#include "installer/ZembricoInstall/clientsocket.h"
#include "installer/core/installcodes.h"
#include "installer/core/registrationplan.h"
#include "tools/core/payloadfolder.h"

namespace fs = std::filesystem;

InstallParameters WholeInstallParameters(const fs::path& root, const std::string& displayName) {
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
    params.quickLaunchFolder = (root / "QuickLaunch").string();
    params.desktopShortcut = params.startMenuShortcut = 1;
    params.trackingText = "[TInfo]\nTHM=fault\n";
    params.universal = 1;
    params.site = "FR";
    // Shell folders exist on a real system; the program group and Quick Launch may not.
    fs::create_directories(params.desktopFolder);
    fs::create_directories(params.startMenuFolder);
    return params;
}

void WholeInstallTest::SetUpTestSuite() {
    InitializeSockets();
    ASSERT_EQ(LoadEnglishMessages(), "");
}

void WholeInstallTest::TearDownTestSuite() {
    CleanupSockets();
}

void WholeInstallTest::SetUp() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / ("zbinstall-" + std::to_string(GetCurrentProcessId())) /
            test->name();
    fs::remove_all(root_);
    std::string cards(70000, '\0');
    for (size_t i = 0; i < cards.size(); ++i) cards[i] = static_cast<char>(i * 7 % 251);
    files_ = {{"Zembrico.exe", std::string(3000, 'z')},
              {"ZembricoUninstall.exe", "uninstall"},
              {"ZembricoUpdate.exe", "update"},
              {"data\\cards.dat", cards},
              {"empty.txt", ""},
              {"readme.txt", "hello"},
              {"zz.txt", "last"}};
    Pack();
    params_ = WholeInstallParameters(
        root_, "ZbInstall " + std::to_string(GetCurrentProcessId()) + " " + test->name());
}

void WholeInstallTest::TearDown() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, Key().c_str());
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    CoUninitialize();
}

void WholeInstallTest::AddPayloadFile(const std::string& name, const std::string& bytes) {
    files_.emplace_back(name, bytes);
    Pack();
}

void WholeInstallTest::Pack() {
    const fs::path folder = root_ / "payload";
    fs::remove_all(folder);
    for (const auto& [name, bytes] : files_) {
        std::string path = name;
        std::replace(path.begin(), path.end(), '\\', '/');
        WriteFile(folder / path, bytes);
    }
    // The archive lists its files sorted byte-wise.
    std::sort(files_.begin(), files_.end());
    payload_ = PackPayloadFolder(folder);
}

PayloadSource WholeInstallTest::Payload() {
    return [this] { return std::span<const std::uint8_t>(payload_); };
}

std::unique_ptr<InstallerWorkerThread> WholeInstallTest::MakeWorker(
    std::string_view collectionHost) {
    return std::make_unique<InstallerWorkerThread>(collectionHost, Payload());
}

std::vector<int> WholeInstallTest::Install(InstallerWorkerThread& worker, std::string* text) {
    EXPECT_TRUE(worker.start(params_, window_.handle(), kWmInstallProgress));
    std::vector<int> codes = window_.waitForEnd(text);
    worker.closeThreadHandle();
    return codes;
}

std::vector<int> WholeInstallTest::Install(std::string* text) {
    return Install(*MakeWorker(), text);
}

fs::path WholeInstallTest::Installed(const std::string& name) const {
    return fs::path(params_.installFolder) / name;
}

std::string WholeInstallTest::Key() const {
    return MakeRegistrationTexts(params_).key;
}

void WholeInstallTest::ExpectFilesUpTo(size_t complete, Next next) {
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

void WholeInstallTest::ExpectEveryFileInstalled() {
    ExpectFilesUpTo(files_.size(), Next::kAbsent);
}

void WholeInstallTest::ExpectNoSettingsFiles() {
    for (const char* name : {"tinfo.dat", "user.ini", "app.ini"})
        EXPECT_FALSE(fs::exists(Installed(name))) << name;
}

void WholeInstallTest::ExpectNotRegisteredAndNoSettings() {
    EXPECT_FALSE(KeyExists(Key()));
    ExpectNoSettingsFiles();
}

std::vector<int> WholeInstallTest::Progress(size_t count) const {
    std::vector<int> codes;
    for (size_t i = 1; i <= count; ++i) codes.push_back(static_cast<int>(i * 100 / files_.size()));
    return codes;
}

std::vector<int> WholeInstallTest::ProgressThen(size_t count, int last) const {
    std::vector<int> codes = Progress(count);
    codes.push_back(last);
    return codes;
}
