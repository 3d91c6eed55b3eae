// The whole life of an installation of the default payload: installed by the install engine,
// the client launched, and the uninstaller run as a user runs it, its boxes answered.

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "client/core/uninstallcodes.h"
#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/ZembricoInstall/installtestkit.h"
#include "installer/core/installcodes.h"
#include "installer/core/registrationplan.h"
#include "plib/win/plantedlink.h"
#include "plib/winseam/unique.h"

namespace fs = std::filesystem;

namespace {

constexpr int kYes = IDYES;  // first button: Yes, Retry, OK
constexpr int kNo = IDNO;    // second button: No, Abort

// A top-level window of `className` that belongs to process `processId`, or null.
HWND FindProcessWindow(const wchar_t* className, DWORD processId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

std::string WindowText(HWND window) {
    wchar_t text[512];
    GetWindowTextW(window, text, 512);
    return fs::path(text).string();
}

BOOL CALLBACK CollectText(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(WindowText(child));
    return TRUE;
}

// The texts of a window's child controls, in creation order.
std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

struct Finished {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<std::string> boxTitles;
};

// Runs `commandLine` and answers its message boxes with `answers` in turn (the button id
// posted as a command, as a click sends it). Every answer must find its box, and the program
// must end after the last one.
Finished RunAnswering(const std::string& commandLine, const std::vector<int>& answers) {
    Finished finished;
    std::wstring line = fs::path(commandLine).wstring();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return finished;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    for (int answer : answers) {
        HWND box = nullptr;
        if (!WaitUntil(
                [&] { return (box = FindProcessWindow(L"MyMsgBox", process.dwProcessId)); })) {
            ADD_FAILURE() << "no box for answer " << answer << " of " << commandLine;
            TerminateProcess(process.hProcess, 99);
            return finished;
        }
        // The title is set just after the window appears.
        WaitUntil([&] { return !WindowText(box).empty(); });
        finished.boxTitles.push_back(WindowText(box));
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        WaitUntil([&] { return !IsWindow(box); });
    }
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << commandLine << " did not end after its boxes";
        TerminateProcess(process.hProcess, 99);
    }
    GetExitCodeProcess(process.hProcess, &finished.exitCode);
    return finished;
}

fs::path WindowsTemp() {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return fs::path(windows) / "Temp";
}

// The folders of the uninstaller's temporary copies, which only administrators can open.
std::set<fs::path> TemporaryCopies() {
    std::set<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(WindowsTemp()))
        if (entry.path().filename().string().rfind("zbuninstall-", 0) == 0)
            copies.insert(entry.path());
    return copies;
}

// The text of every uninstaller log in the temporary folder.
std::string UninstallerLogs() {
    std::string text;
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("ZembricoUninstall-", 0) == 0 && name.ends_with(".log"))
            text += ReadFile(entry.path());
    }
    return text;
}

std::string LocalAppData() {
    wchar_t path[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path);
    return fs::path(path).string();
}

class ClientRoundTrip : public testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_EQ(LoadEnglishMessages(), ""); }

    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const std::string bytes = ReadFile(ZB_DEFAULT_PAYLOAD);
        ASSERT_FALSE(bytes.empty()) << "the default payload " << ZB_DEFAULT_PAYLOAD;
        payload_.assign(bytes.begin(), bytes.end());
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        const std::string unique = std::to_string(GetCurrentProcessId()) + test->name();
        root_ = fs::temp_directory_path() / ("zbclient-" + unique);
        fs::remove_all(root_);

        // A universal installation for France, so that the client has a site to show.
        params_.name = "Zembrico.FR";
        params_.displayName = "ZbClient " + unique;
        params_.workFolderName = "ZbClientWork" + unique;
        params_.brand = "Zembrico";
        params_.iconPath = "ZembricoUninstall.exe";
        params_.universal = 1;
        params_.site = "FR";
        params_.locale = 4;  // German
        params_.useLocalAppData = 1;
        params_.localAppDataFolder = LocalAppData();
        params_.installFolder = (root_ / "Program Files" / "Zembrico Poker").string();
        params_.desktopShortcut = params_.quickLaunchShortcut = params_.startMenuShortcut = 1;
        for (auto [folder, name] : {std::pair{&params_.programsFolder, "Programs"},
                                    {&params_.desktopFolder, "Desktop"},
                                    {&params_.startMenuFolder, "StartMenu"},
                                    {&params_.quickLaunchFolder, "QuickLaunch"},
                                    {&params_.commonProgramsFolder, "CommonPrograms"},
                                    {&params_.commonDesktopFolder, "CommonDesktop"},
                                    {&params_.commonStartMenuFolder, "CommonStartMenu"}}) {
            *folder = (root_ / name).string();
            fs::create_directories(*folder);
        }
        settingsFolder_ = fs::path(params_.localAppDataFolder) / params_.workFolderName;
        copiesBefore_ = TemporaryCopies();
    }

    void TearDown() override {
        if (client_.hProcess) {
            TerminateProcess(client_.hProcess, 0);
            CloseHandle(client_.hProcess);
            CloseHandle(client_.hThread);
        }
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key().c_str());
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        fs::remove_all(settingsFolder_, ignored);
        // A copy that a failing test left running keeps its folder.
        for (const fs::path& copy : newCopies()) fs::remove_all(copy, ignored);
        CoUninitialize();
    }

    // The temporary copies made since the test began. Not a comparison with those before: an
    // earlier test's copy may still be going away while this one runs.
    std::set<fs::path> newCopies() const {
        std::set<fs::path> made;
        for (const fs::path& copy : TemporaryCopies())
            if (!copiesBefore_.contains(copy)) made.insert(copy);
        return made;
    }

    std::string key() const { return MakeRegistrationTexts(params_).key; }
    std::string uninstallCommand() const { return ReadValue(key(), "UninstallString").text; }
    fs::path installed(const std::string& name) const {
        return fs::path(params_.installFolder) / name;
    }
    std::string fullDisplayName() const { return MakeRegistrationTexts(params_).fullDisplayName; }

    void install() {
        InstallerWorkerThread worker("no-such-host.invalid",
                                     [this] { return std::span<const std::uint8_t>(payload_); });
        ProgressWindow window;
        ASSERT_TRUE(worker.start(params_, window.handle(), kWmInstallProgress));
        const std::vector<int> codes = window.waitForEnd();
        worker.closeThreadHandle();
        ASSERT_FALSE(codes.empty());
        ASSERT_EQ(codes.back(), kInstallComplete);
        ASSERT_TRUE(fs::exists(installed("ZembricoUninstall.exe")));
        ASSERT_TRUE(fs::exists(installed("ZembricoUpdate.exe")));
        // The uninstaller carries the list of what it may remove; the folder holds none.
        ASSERT_FALSE(fs::exists(installed("payload.lst")));
        ASSERT_TRUE(fs::exists(settingsFolder_ / "user.ini"));
    }

    // Starts the launcher as the finished screen does and waits for its window; returns its
    // lines of text.
    std::vector<std::string> launch(const std::string& arguments = "") {
        std::wstring line = fs::path("ZembricoUpdate.exe " + arguments).wstring();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        EXPECT_TRUE(CreateProcessW(
            installed("ZembricoUpdate.exe").wstring().c_str(), line.data(), nullptr, nullptr, FALSE,
            0, nullptr, fs::path(params_.installFolder).wstring().c_str(), &startup, &client_));
        HWND window = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] { return (window = FindProcessWindow(kFranceWindowClass, client_.dwProcessId)); }));
        return window ? ChildTexts(window) : std::vector<std::string>{};
    }

    void closeClient() {
        HWND window = FindProcessWindow(kFranceWindowClass, client_.dwProcessId);
        ASSERT_NE(window, nullptr);
        PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_EQ(WaitForSingleObject(client_.hProcess, 30000), WAIT_OBJECT_0);
        CloseHandle(client_.hProcess);
        CloseHandle(client_.hThread);
        client_ = {};
    }

    // Everything the installation made is gone (the temporary copy finishes after the
    // uninstaller has ended, and its folder goes after it), and the user's settings are still
    // there.
    void expectRemoved(const std::vector<fs::path>& shortcuts, const fs::path& group) {
        EXPECT_TRUE(WaitUntil([&] {
            return !KeyExists(key()) && !fs::exists(params_.installFolder);
        })) << "key or install folder still there";
        EXPECT_TRUE(WaitUntil([&] { return newCopies().empty(); }))
            << "the temporary copy was left behind";
        for (const fs::path& shortcut : shortcuts) EXPECT_FALSE(fs::exists(shortcut)) << shortcut;
        EXPECT_FALSE(fs::exists(group)) << group;
        EXPECT_FALSE(fs::exists(params_.installFolder));
        EXPECT_TRUE(fs::exists(fs::path(params_.installFolder).parent_path()));
        EXPECT_EQ(ReadFile(settingsFolder_ / "user.ini"), "[PipeOption]\r\nLocale=4\r\n\r\n");
        EXPECT_TRUE(WaitUntil([&] {
            return UninstallerLogs().find("Removed registry key: HKEY_LOCAL_MACHINE\\" + key()) !=
                   std::string::npos;
        })) << "the uninstaller's logs";
    }

    static constexpr const wchar_t* kFranceWindowClass = L"FraVessantOnlinePokerLobbyWindowClass";

    std::vector<std::uint8_t> payload_;
    fs::path root_, settingsFolder_;
    std::set<fs::path> copiesBefore_;
    InstallParameters params_;
    PROCESS_INFORMATION client_{};
};

TEST_F(ClientRoundTrip, InstallLaunchRefuseWhileRunningThenRemove) {
    install();
    const std::string d = fullDisplayName();
    const std::vector<fs::path> shortcuts = {
        fs::path(params_.desktopFolder) / (d + ".lnk"),
        fs::path(params_.startMenuFolder) / (d + ".lnk"),
        fs::path(params_.quickLaunchFolder) / (d + ".lnk"),
    };
    const fs::path group = fs::path(params_.programsFolder) / d;
    for (const fs::path& shortcut : shortcuts) ASSERT_TRUE(fs::exists(shortcut)) << shortcut;
    ASSERT_TRUE(fs::exists(group / (d + ".lnk")));

    EXPECT_EQ(launch(), (std::vector<std::string>{"Zembrico Poker France", "Site: FR",
                                                  "Operator: none", "Language: German"}));
    // A second launcher finds the first and ends at once.
    const Finished second =
        RunAnswering("\"" + installed("ZembricoUpdate.exe").string() + "\"", {});
    EXPECT_EQ(second.exitCode, 1u);

    // Yes to the question, then Abort while the client runs: nothing is removed.
    const Finished refused = RunAnswering(uninstallCommand(), {kYes, kNo});
    EXPECT_EQ(refused.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kClientRunning)));
    // In the language the installation recorded.
    EXPECT_EQ(refused.boxTitles,
              (std::vector<std::string>{d + " deinstallieren", d + " deinstallieren"}));
    EXPECT_TRUE(KeyExists(key()));
    for (const fs::path& shortcut : shortcuts) EXPECT_TRUE(fs::exists(shortcut)) << shortcut;
    for (const char* file :
         {"ZembricoUninstall.exe", "ZembricoUpdate.exe", "app.ini", "Install.log", "readme.txt"})
        EXPECT_TRUE(fs::exists(installed(file))) << file;

    closeClient();
    // Yes, then OK to the notice that it is done.
    const Finished removed = RunAnswering(uninstallCommand(), {kYes, kYes});
    EXPECT_EQ(removed.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kRemoved)));
    expectRemoved(shortcuts, group);

    // Again: nothing there to remove, and nothing changes.
    const std::string command =
        "\"" + (root_ / "ZembricoUninstall.exe").string() + "\" /u:" + params_.displayName;
    fs::copy_file(fs::path(ZB_DEFAULT_PAYLOAD).parent_path().parent_path() / "payload" /
                      "ZembricoUninstall.exe",
                  root_ / "ZembricoUninstall.exe");
    const Finished again = RunAnswering(command, {kYes});
    EXPECT_EQ(again.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kNotFound)));
    EXPECT_EQ(ReadFile(settingsFolder_ / "user.ini"), "[PipeOption]\r\nLocale=4\r\n\r\n");
    EXPECT_TRUE(fs::exists(group.parent_path()));
}

TEST_F(ClientRoundTrip, AllUsersWithOperatorIdCancelThenRemove) {
    params_.hasAdminRights = params_.allUsers = 1;
    params_.oid = "77";
    params_.oname = "Partner";
    install();
    const std::string d = fullDisplayName();
    ASSERT_EQ(d, params_.displayName + " - Partner");
    ASSERT_EQ(key(), std::string(kUninstallKeyPrefix) + params_.displayName + " - 77");
    const std::vector<fs::path> shortcuts = {
        fs::path(params_.commonDesktopFolder) / (d + ".lnk"),
        fs::path(params_.commonStartMenuFolder) / (d + ".lnk"),
        fs::path(params_.quickLaunchFolder) / (d + ".lnk"),
    };
    const fs::path group = fs::path(params_.commonProgramsFolder) / d;
    for (const fs::path& shortcut : shortcuts) ASSERT_TRUE(fs::exists(shortcut)) << shortcut;
    ASSERT_NE(uninstallCommand().find(" /o:77"), std::string::npos);

    EXPECT_EQ(launch("--o:77")[2], "Operator: 77");
    closeClient();

    const Finished cancelled = RunAnswering(uninstallCommand(), {kNo});
    EXPECT_EQ(cancelled.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kCancelled)));
    EXPECT_TRUE(KeyExists(key()));
    EXPECT_TRUE(fs::exists(installed("ZembricoUpdate.exe")));

    const Finished removed = RunAnswering(uninstallCommand(), {kYes, kYes});
    EXPECT_EQ(removed.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kRemoved)));
    expectRemoved(shortcuts, group);
}

TEST_F(ClientRoundTrip, FileThatCannotBeRemovedKeepsKeyAndUninstaller) {
    params_.universal = 0;
    params_.site.clear();
    install();
    const fs::path held = installed("readme.txt");
    UniqueFile lock(CreateFileW(held.wstring().c_str(), GENERIC_READ, /*dwShareMode=*/0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    const std::set<fs::path> copiesBefore = TemporaryCopies();
    // Yes, then OK to the notice that names the log.
    const Finished incomplete = RunAnswering(uninstallCommand(), {kYes, kYes});
    EXPECT_EQ(incomplete.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kIncomplete)));
    EXPECT_EQ(TemporaryCopies(), copiesBefore) << "a temporary copy went on with the removal";
    EXPECT_TRUE(KeyExists(key()));
    for (const char* file : {"readme.txt", "ZembricoUninstall.exe"})
        EXPECT_TRUE(fs::exists(installed(file))) << file;
    EXPECT_FALSE(fs::exists(installed("ZembricoUpdate.exe")));

    // Once the file is free, the same uninstaller finishes the job.
    lock.reset();
    const Finished removed = RunAnswering(uninstallCommand(), {kYes, kYes});
    EXPECT_EQ(removed.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kRemoved)));
    const std::string d = fullDisplayName();
    expectRemoved({fs::path(params_.desktopFolder) / (d + ".lnk")},
                  fs::path(params_.programsFolder) / d);
}

// The finding of a review: with the folder of an older entry at a drive's root and a list in it
// that names another file, the uninstaller deleted that file. What the uninstaller removes from
// a folder is what its own image lists, whatever a list there says.
TEST_F(ClientRoundTrip, ListInTheFolderChoosesNothing) {
    params_.universal = 0;
    params_.site.clear();
    install();
    WriteFile(installed("payload.lst"), "mine.txt\r\n..\\outside.txt\r\n");
    WriteFile(installed("mine.txt"), "the user's own file");
    // The entry of an older installation that took the folder above as its own.
    const fs::path above = fs::path(params_.installFolder).parent_path();
    WriteFile(above / "payload.lst", "outside.txt\r\n");
    WriteFile(above / "outside.txt", "not the installation's");
    const Finished removed = RunAnswering(uninstallCommand(), {kYes, kYes});
    EXPECT_EQ(removed.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kRemoved)));
    EXPECT_TRUE(WaitUntil([&] { return !KeyExists(key()); }));
    EXPECT_EQ(ReadFile(installed("mine.txt")), "the user's own file");
    EXPECT_EQ(ReadFile(above / "outside.txt"), "not the installation's");
    EXPECT_FALSE(fs::exists(installed("readme.txt")));
    EXPECT_FALSE(fs::exists(installed("payload.lst"))) << "an earlier build's list goes";
}

// A link planted in the install folder where the payload has a folder leads the removal
// nowhere: the files of the same names outside stay.
TEST_F(ClientRoundTrip, PlantedLinkInTheFolderLeadsNowhere) {
    params_.universal = 0;
    params_.site.clear();
    install();
    const fs::path outside = root_ / "outside";
    fs::create_directories(outside);
    for (const char* name : {"client.ini", "tables.dat", "empty.log"})
        WriteFile(outside / name, std::string("outside ") + name);
    fs::remove_all(installed("data"));
    const PlantedLink link(installed("data"), outside);
    if (!link.planted()) GTEST_SKIP() << "no links can be planted here";
    const Finished removed = RunAnswering(uninstallCommand(), {kYes, kYes});
    EXPECT_EQ(removed.exitCode, static_cast<DWORD>(ExitValue(UninstallExit::kRemoved)));
    EXPECT_TRUE(WaitUntil([&] { return !KeyExists(key()); }));
    for (const char* name : {"client.ini", "tables.dat", "empty.log"})
        EXPECT_EQ(ReadFile(outside / name), std::string("outside ") + name);
    EXPECT_FALSE(fs::exists(installed("readme.txt")));
    EXPECT_TRUE(WaitUntil([&] { return newCopies().empty(); }))
        << "the temporary copy was left behind";
}

}  // namespace
