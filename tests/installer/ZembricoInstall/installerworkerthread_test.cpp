#include "installer/ZembricoInstall/installerworkerthread.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/ZembricoInstall/clientsocket.h"
#include "installer/ZembricoInstall/installtestkit.h"
#include "installer/ZembricoInstall/loopbackcollector.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/installcodes.h"
#include "installer/core/payloadfolder.h"
#include "installer/core/registrationplan.h"
#include "plib/perror.h"
#include "plib/pstring.h"
#include "protocols/inixor.h"

namespace fs = std::filesystem;

namespace {

class InstallerWorkerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitializeSockets();
        ASSERT_EQ(LoadEnglishMessages(), "");
    }
    static void TearDownTestSuite() { CleanupSockets(); }

    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / ("zbworker-" + std::to_string(GetCurrentProcessId())) /
                test->name();
        fs::remove_all(root_);
        // Eight files, one in a subfolder, one empty, one larger than a decode step.
        payloadFolder_ = root_ / "payload";
        files_ = {{"Zembrico.exe", std::string(5000, 'z')},
                  {"ZembricoUpdate.exe", "update"},
                  {"ZembricoUninstall.exe", "uninstall"},
                  {"data\\cards.dat", std::string(70000, 'c')},
                  {"empty.txt", ""},
                  {"readme.txt", "hello"},
                  {"user.ini", "[PipeOption]\nLocale=1\n"},
                  {"zz.txt", "last"}};
        for (const auto& [name, bytes] : files_) {
            std::string path = name;
            for (char& c : path)
                if (c == '\\') c = '/';
            WriteFile(payloadFolder_ / path, bytes);
        }
        payload_ = PackPayloadFolder(payloadFolder_);
        // The archive lists its files sorted byte-wise; the tests follow that order.
        std::sort(files_.begin(), files_.end());
        displayName_ = "ZbTest " + std::to_string(GetCurrentProcessId()) + " " + test->name();

        params_.name = "Zembrico";
        params_.displayName = displayName_;
        params_.workFolderName = "ZembricoWork";
        params_.brand = "Zembrico";
        params_.locale = 3;
        params_.installFolder = (root_ / "inst" / "Zembrico").string();
        params_.programsFolder = (root_ / "Programs").string();
        params_.desktopFolder = (root_ / "Desktop").string();
        params_.startMenuFolder = (root_ / "StartMenu").string();
        params_.quickLaunchFolder = (root_ / "QuickLaunch").string();
        // Shell folders exist on a real system; the program group and Quick Launch may not.
        fs::create_directories(params_.desktopFolder);
        fs::create_directories(params_.startMenuFolder);
    }

    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, MakeRegistrationTexts(params_).key.c_str());
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        CoUninitialize();
    }

    PayloadSource Payload() {
        return [this] { return std::span<const std::uint8_t>(payload_); };
    }

    std::vector<int> Install(InstallerWorkerThread& worker, std::string* text = nullptr) {
        EXPECT_TRUE(worker.start(params_, window_.handle(), kWmInstallProgress));
        std::vector<int> codes = window_.waitForEnd(text);
        worker.closeThreadHandle();
        return codes;
    }

    std::vector<int> Install(std::string* text = nullptr) {
        InstallerWorkerThread worker("no-such-host.invalid", Payload());
        return Install(worker, text);
    }

    fs::path Installed(const std::string& name) const {
        return fs::path(params_.installFolder) / name;
    }

    fs::path root_, payloadFolder_;
    std::vector<std::pair<std::string, std::string>> files_;
    std::vector<std::uint8_t> payload_;
    std::string displayName_;
    InstallParameters params_;
    ProgressWindow window_;
};

const std::vector<int> kEightFileProgress = {12, 25, 37, 50, 62, 75, 87, 100, 1000};

TEST_F(InstallerWorkerTest, InstallsEveryFileAndReportsProgressPerFile) {
    EXPECT_EQ(Install(), kEightFileProgress);
    // user.ini is the archive's copy rewritten by the settings step.
    for (const auto& [name, bytes] : files_) {
        if (name == "user.ini") continue;
        EXPECT_TRUE(ReadFile(Installed(name)) == bytes) << name;
    }
    EXPECT_EQ(ReadFile(Installed("user.ini")), "[PipeOption]\r\nLocale=3\r\n\r\n");
    EXPECT_TRUE(fs::is_directory(Installed("data")));
}

TEST_F(InstallerWorkerTest, InstallLogHoldsTheStepsInOrder) {
    EarlyLogQueue::instance().add("queued %d", 1);
    EarlyLogQueue::instance().add("%s", std::string(300, 'q').c_str());
    params_.oid = "77";
    ASSERT_EQ(Install().back(), kInstallComplete);
    const std::vector<std::string> lines = LogLines(Installed("Install.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].front(), '[') << "a timestamp line opens the log";
    const int path = FindLine(lines, "Log File Path: " + Installed("Install.log").string());
    ASSERT_GE(path, 0);
    EXPECT_EQ(lines[path + 1].rfind("OS Version: ", 0), 0u);
    int next = path + 2;
    for (const char* expected :
         {"isWow64: 0", "localAppData: 0", "Has admin rights: 0", "Locale: 3", "queued 1"}) {
        while (next < static_cast<int>(lines.size()) && lines[next].front() == '[') ++next;
        ASSERT_LT(next, static_cast<int>(lines.size()));
        EXPECT_EQ(lines[next++], expected);
    }
    while (lines[next].front() == '[') ++next;
    EXPECT_EQ(lines[next], std::string(255, 'q'));
    int at = FindLine(lines, "Extracting files:", next);
    ASSERT_GT(at, next);
    for (const auto& [name, bytes] : files_) {
        at = FindLine(lines, name, at);
        EXPECT_GT(at, 0) << name;
    }
    for (const std::string& text :
         {std::string("Options:"), std::string(" All users: 0"), std::string(" Desktop: 0"),
          "Local settings directory: '" + params_.installFolder + "'",
          std::string("Install finished")}) {
        at = FindLine(lines, text, at);
        EXPECT_GT(at, 0) << text;
    }
}

TEST_F(InstallerWorkerTest, RegistersUninstallEntryAndShortcuts) {
    params_.oname = "Partner";
    params_.oid = "77";
    params_.iconIndex = 2;
    params_.desktopShortcut = params_.startMenuShortcut = params_.quickLaunchShortcut = 1;
    ASSERT_EQ(Install().back(), kInstallComplete);
    const RegistrationTexts texts = MakeRegistrationTexts(params_);
    EXPECT_EQ(texts.key, std::string(kUninstallKeyPrefix) + displayName_ + " - 77");
    const std::string d = displayName_ + " - Partner";
    const std::string folder = params_.installFolder;
    const std::string u = folder + "\\ZembricoUninstall.exe";
    struct Expected {
        const char* name;
        std::string text;
    };
    const Expected strings[] = {
        {"DisplayName", d},
        {"DisplayIcon", u},
        {"UninstallString", "\"" + u + "\" /u:" + displayName_ + " /o:77"},
        {"InstallLocation", folder},
        {"Publisher", d},
        {"ProductStartMenu", d},
        {"SMPGroup", params_.programsFolder + "\\" + d},
        {"DTLink", params_.desktopFolder + "\\" + d + ".lnk"},
        {"SMLink", params_.startMenuFolder + "\\" + d + ".lnk"},
        {"QLLink", params_.quickLaunchFolder + "\\" + d + ".lnk"},
    };
    for (const Expected& e : strings) {
        const RegistryValue value = ReadValue(texts.key, e.name);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << e.name;
        EXPECT_EQ(value.text, e.text) << e.name;
    }
    EXPECT_EQ(ReadValue(texts.key, "InstallSource").type, static_cast<DWORD>(REG_SZ));
    const RegistryValue date = ReadValue(texts.key, "InstallDate");
    ASSERT_EQ(date.text.size(), 25u) << date.text;
    EXPECT_EQ(date.text.back(), '\n');
    EXPECT_EQ(date.text[3], ' ');
    EXPECT_EQ(date.text[13], ':');
    for (const auto& [name, number] :
         {std::pair{"NoModify", 1u}, std::pair{"NoRepair", 1u}, std::pair{"Language", 3u}}) {
        const RegistryValue value = ReadValue(texts.key, name);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD)) << name;
        EXPECT_EQ(value.number, number) << name;
    }
    EXPECT_EQ(ReadValue(texts.key, "CSMPGroup").type, static_cast<DWORD>(REG_NONE));

    const std::string icon = folder + "\\Zembrico.exe";
    const auto checkLink = [&](const fs::path& file, const std::string& target,
                               const std::string& arguments) {
        const Shortcut link = ReadShortcut(file);
        EXPECT_EQ(link.target, target) << file;
        EXPECT_EQ(link.arguments, arguments) << file;
        EXPECT_EQ(link.folder, folder) << file;
        EXPECT_EQ(link.icon, icon) << file;
        EXPECT_EQ(link.iconIndex, 2) << file;
    };
    const std::string app = folder + "\\ZembricoUpdate.exe";
    const std::string uninstallArgs = "/u:" + displayName_ + " /o:77";
    checkLink(Installed("Uninstall " + d + ".lnk"), u, uninstallArgs);
    checkLink(fs::path(params_.programsFolder) / d / (d + ".lnk"), app, "--o:77");
    checkLink(fs::path(params_.programsFolder) / d / ("Uninstall " + d + ".lnk"), u, uninstallArgs);
    checkLink(fs::path(params_.desktopFolder) / (d + ".lnk"), app, "--o:77");
    checkLink(fs::path(params_.startMenuFolder) / (d + ".lnk"), app, "--o:77");
    checkLink(fs::path(params_.quickLaunchFolder) / (d + ".lnk"), app, "--o:77");
}

TEST_F(InstallerWorkerTest, NamesThatClimbOutMakeNothingOutsideTheirFolders) {
    // Values that reach the worker unchecked: the registration refuses them on its own.
    params_.oname = "Evil\\..\\..\\..\\Escaped";
    params_.oid = "x\\y /u:Other";
    params_.desktopShortcut = params_.startMenuShortcut = params_.quickLaunchShortcut = 1;
    ASSERT_EQ(Install().back(), kInstallComplete);
    const std::string key = std::string(kUninstallKeyPrefix) + displayName_;
    EXPECT_EQ(MakeRegistrationTexts(params_).key, key);
    EXPECT_EQ(ReadValue(key, "UninstallString").text,
              "\"" + params_.installFolder + "\\ZembricoUninstall.exe\" /u:" + displayName_);
    for (const char* name : {"SMPGroup", "DTLink", "SMLink", "QLLink"})
        EXPECT_EQ(ReadValue(key, name).type, static_cast<DWORD>(REG_NONE)) << name;
    std::vector<std::string> links;
    for (const auto& entry : fs::recursive_directory_iterator(root_))
        if (entry.path().extension() == ".lnk") links.push_back(entry.path().string());
    EXPECT_TRUE(links.empty()) << links.front();
    EXPECT_FALSE(fs::exists(root_.parent_path() / "Escaped"));
    EXPECT_FALSE(fs::exists(root_.parent_path() / "Escaped.lnk"));
    EXPECT_FALSE(fs::exists(fs::path(params_.programsFolder)));
}

TEST_F(InstallerWorkerTest, KeyWithoutOidEndsInDisplayName) {
    ASSERT_EQ(Install().back(), kInstallComplete);
    const std::string key = std::string(kUninstallKeyPrefix) + displayName_;
    EXPECT_EQ(ReadValue(key, "DisplayName").text, displayName_);
    EXPECT_EQ(ReadValue(key, "UninstallString").text,
              "\"" + params_.installFolder + "\\ZembricoUninstall.exe\" /u:" + displayName_);
    EXPECT_EQ(
        ReadShortcut(fs::path(params_.programsFolder) / displayName_ / (displayName_ + ".lnk"))
            .arguments,
        "");
}

TEST_F(InstallerWorkerTest, RegistryFailureEndsWithoutSettingsFiles) {
    params_.displayName = std::string(300, 'k');
    params_.trackingText = "[TInfo]\nTHM=1\n";
    params_.universal = 1;
    params_.site = "FR";
    EXPECT_EQ(Install().back(), kInstallRegistryError);
    EXPECT_FALSE(fs::exists(Installed("tinfo.dat")));
    EXPECT_FALSE(fs::exists(Installed("app.ini")));
    const std::vector<std::string> lines = LogLines(Installed("Install.log"));
    EXPECT_GE(FindLine(lines,
                       "Registry write error, maybe caused by access right not enough, "
                       "uninstaller may not work properly."),
              0);
    EXPECT_GE(FindLine(lines, "Install finished"), 0);
}

TEST_F(InstallerWorkerTest, ExistingUserIniStaysByteForByte) {
    const std::string own = "[Mine]\r\nkeep=1\r\n\r\n#comment\r\n";
    WriteFile(Installed("user.ini"), own);
    params_.overrideUserIni = 0;
    ASSERT_EQ(Install().back(), kInstallComplete);
    EXPECT_TRUE(ReadFile(Installed("user.ini")) == own);
}

TEST_F(InstallerWorkerTest, UserIniOverrideRules) {
    struct Case {
        const char* existing;  // null: none
        std::uint8_t override;
        const char* expected;
        bool backup;
    };
    const Case cases[] = {
        {nullptr, 1, "[PipeOption]\r\nLocale=3\r\n\r\n", false},
        {"[A]\nk=v\n[update]\nu=1\n[PipeOption]\nLocale=9\nx=y\n[UpDate]\nw=2\n", 1,
         "[A]\r\nk=v\r\n\r\n[PipeOption]\r\nLocale=3\r\nx=y\r\n\r\n", true},
        {"[A]\nno equals sign\n", 0, "[PipeOption]\r\nLocale=3\r\n\r\n", true},
        {"[A]\nk=v\n", 0, "[A]\nk=v\n", false},
    };
    params_.localAppDataFolder = (root_ / "LocalAppData").string();
    params_.useLocalAppData = 1;
    const fs::path settings = fs::path(params_.localAppDataFolder) / params_.workFolderName;
    // A file where the settings folder must go is replaced by the folder.
    WriteFile(settings, "not a folder");
    for (const Case& c : cases) {
        std::error_code ignored;
        fs::remove(settings / "user.ini", ignored);
        fs::remove(settings / "user.ini.bak", ignored);
        if (c.existing) WriteFile(settings / "user.ini", c.existing);
        params_.overrideUserIni = c.override;
        ASSERT_EQ(Install().back(), kInstallComplete);
        ASSERT_TRUE(fs::is_directory(settings));
        EXPECT_EQ(ReadFile(settings / "user.ini"), c.expected)
            << (c.existing ? c.existing : "none");
        EXPECT_EQ(fs::exists(settings / "user.ini.bak"), c.backup);
        if (c.backup) {
            EXPECT_EQ(ReadFile(settings / "user.ini.bak"), c.existing);
        }
    }
}

TEST_F(InstallerWorkerTest, TInfoUnscramblesToTrackingTextWithTimeAndZone) {
    params_.trackingText = "[TInfo]\nTHM=abc\nGID=7\n";
    const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
    ASSERT_EQ(Install().back(), kInstallComplete);
    std::string text = ReadFile(Installed("tinfo.dat"));
    IniXorTracking(reinterpret_cast<std::uint8_t*>(text.data()), text.size());
    ASSERT_EQ(text.rfind("[TInfo]\nTHM=abc\nGID=7\nITS=", 0), 0u) << text;
    const size_t zone = text.find("\nIZ=");
    ASSERT_NE(zone, std::string::npos);
    const long its = std::stol(text.substr(26, zone - 26));
    EXPECT_GE(its, static_cast<long>(before));
    EXPECT_LE(its, static_cast<long>(before) + 120);
    TIME_ZONE_INFORMATION info;
    const bool daylight = GetTimeZoneInformation(&info) == TIME_ZONE_ID_DAYLIGHT;
    EXPECT_EQ(
        text.substr(zone + 1),
        "IZ=" + std::to_string(-60 * (info.Bias + (daylight ? info.DaylightBias : 0))) + "\n");

    // Installing again without tracking data removes it.
    params_.trackingText.clear();
    ASSERT_EQ(Install().back(), kInstallComplete);
    EXPECT_FALSE(fs::exists(Installed("tinfo.dat")));
}

TEST_F(InstallerWorkerTest, AppIniIsCreatedOnceAndKept) {
    params_.universal = 1;
    params_.site = "FR";
    ASSERT_EQ(Install().back(), kInstallComplete);
    EXPECT_EQ(ReadFile(Installed("app.ini")),
              "[App]\r\nSite=FR\r\nWinWorkFolder=ZembricoWork\r\n\r\n");
    params_.site = "BE";
    ASSERT_EQ(Install().back(), kInstallComplete);
    EXPECT_EQ(ReadFile(Installed("app.ini")),
              "[App]\r\nSite=FR\r\nWinWorkFolder=ZembricoWork\r\n\r\n");
    const std::vector<std::string> lines = LogLines(Installed("Install.log"));
    EXPECT_GE(FindLine(lines, "Universal installation detected, site used is:'BE'"), 0);
    EXPECT_GE(FindLine(lines, "Creating app.ini with site:'FR, work folder:'ZembricoWork'"), 0);
    EXPECT_GE(FindLine(lines, "app.ini file already exists"), 0);
}

TEST_F(InstallerWorkerTest, FileWhereAFolderMustGo) {
    WriteFile(Installed("data"), "a file");
    std::string text;
    EXPECT_EQ(Install(&text).back(), kInstallFailedWithText);
    EXPECT_EQ(text.rfind("Cannot create folder '" + params_.installFolder + "\\data': ", 0), 0u)
        << text;
    EXPECT_TRUE(fs::exists(Installed("cards.dat")) == false);
}

TEST_F(InstallerWorkerTest, InstallFolderThatCannotBeMade) {
    WriteFile(root_ / "inst", "a file");
    std::string text;
    EXPECT_EQ(Install(&text), std::vector<int>{kInstallFailedWithText});
    EXPECT_EQ(text.rfind("Cannot create folder '" + params_.installFolder + "': ", 0), 0u) << text;
}

TEST_F(InstallerWorkerTest, FileThatCannotBeOpened) {
    fs::create_directories(Installed("readme.txt"));
    std::string text;
    EXPECT_EQ(Install(&text).back(), kInstallFailedWithText);
    EXPECT_EQ(text.rfind("Cannot open file '" + params_.installFolder + "\\readme.txt': ", 0), 0u)
        << text;
}

TEST_F(InstallerWorkerTest, PauseHoldsAndContinueResumes) {
    InstallerWorkerThread worker("no-such-host.invalid", Payload());
    worker.controlState = kWorkerPause;
    ASSERT_TRUE(worker.start(params_, window_.handle(), kWmInstallProgress));
    worker.controlState = kWorkerPause;  // start resets the word; pause again at once
    Sleep(500);
    EXPECT_TRUE(worker.isRunning());
    const std::vector<int> early = window_.pending();
    EXPECT_LE(early.size(), 1u) << "the worker holds at the start of a file";
    EXPECT_FALSE(worker.start(params_, window_.handle(), kWmInstallProgress));
    worker.controlState = kWorkerRun;
    std::vector<int> codes = window_.waitForEnd();
    codes.insert(codes.begin(), early.begin(), early.end());
    EXPECT_EQ(codes, kEightFileProgress);
    worker.closeThreadHandle();
    EXPECT_FALSE(worker.isRunning());
}

TEST_F(InstallerWorkerTest, StopDuringExtractionLeavesLaterFilesAbsent) {
    InstallerWorkerThread worker("no-such-host.invalid", Payload());
    ASSERT_TRUE(worker.start(params_, window_.handle(), kWmInstallProgress));
    worker.controlState = kWorkerStop;
    const std::vector<int> codes = window_.waitForEnd();
    worker.closeThreadHandle();
    ASSERT_EQ(codes.back(), kInstallStopped);
    // The files started before the stop was seen exist; the rest were never created.
    const size_t started = codes.size() - 1;
    ASSERT_LT(started, files_.size());
    for (size_t i = started + 1; i < files_.size(); ++i)
        EXPECT_FALSE(fs::exists(Installed(files_[i].first))) << files_[i].first;
    const std::vector<std::string> lines = LogLines(Installed("Install.log"));
    EXPECT_GE(FindLine(lines, "Install canceled by user."), 0);
    EXPECT_LT(FindLine(lines, "Install finished"), 0);
}

TEST_F(InstallerWorkerTest, MessageIdZeroPostsNothing) {
    InstallerWorkerThread worker("no-such-host.invalid", Payload());
    ASSERT_TRUE(worker.start(params_, window_.handle(), 0));
    for (int i = 0; i < 600 && worker.isRunning(); ++i) Sleep(50);
    worker.closeThreadHandle();
    EXPECT_TRUE(window_.pending().empty());
    EXPECT_EQ(ReadFile(Installed("zz.txt")), "last");
}

TEST_F(InstallerWorkerTest, CompletionHitReachesTheCollector) {
    LoopbackCollector collector;
    InstallerWorkerThread worker(collector.host(), Payload());
    worker.analytics().setIdentity("Zembrico", "UA-1-1", "UA-2-2");
    ASSERT_EQ(Install(worker).back(), kInstallComplete);
    const auto requests = collector.waitForRequests(2);
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests)
        EXPECT_NE(
            LoopbackCollector::Body(request).find("&an=Zembrico.com&av=&t=screenview"
                                                  "&cd=InstallationWindow/InstallComplete&cd13="),
            std::string::npos);
}

TEST_F(InstallerWorkerTest, ClosedCollectorDoesNotFailTheInstallation) {
    LoopbackCollector collector(/*resetAfterAccept=*/true);
    InstallerWorkerThread worker(collector.host(), Payload());
    ASSERT_TRUE(collector.waitForConnections(1));
    worker.analytics().setIdentity("Zembrico", "UA-1-1", "UA-2-2");
    // Make the connection's failure certain before the worker's hit.
    for (int i = 0; i < 20; ++i) {
        try {
            worker.analytics().screenView(std::string(4000, 'x'));
        } catch (const PError&) {
            break;
        }
    }
    EXPECT_EQ(Install(worker), kEightFileProgress);
    const std::vector<std::string> lines = LogLines(Installed("Install.log"));
    bool logged = false;
    for (const std::string& line : lines)
        logged |=
            line.rfind(
                "PError caught in InstallerWorkerThread::DoInstall(): Error writing to socket",
                0) == 0;
    EXPECT_TRUE(logged);
    EXPECT_GE(FindLine(lines, "Install finished"), 0);
}

}  // namespace
