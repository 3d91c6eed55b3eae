#include "installer/ZembricoInstall/installerworkerthread.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/ZembricoInstall/loopbackcollector.h"
#include "installer/ZembricoInstall/wholeinstalltest.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/installcodes.h"
#include "installer/core/registrationplan.h"
#include "protocols/inixor.h"

namespace fs = std::filesystem;

namespace {

using InstallerWorkerTest = WholeInstallTest;

// The archive's own user.ini, which the settings step rewrites for the installation's locale.
constexpr char kArchiveUserIni[] = "[PipeOption]\nLocale=1\n";

TEST_F(InstallerWorkerTest, InstallsEveryFileAndReportsProgressPerFile) {
    AddPayloadFile("user.ini", kArchiveUserIni);
    EXPECT_EQ(Install(), (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100, kInstallComplete}));
    // user.ini is the archive's copy rewritten by the settings step.
    for (const auto& [name, bytes] : Files()) {
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
    for (const auto& [name, bytes] : Files()) {
        at = FindLine(lines, name, at);
        EXPECT_GT(at, 0) << name;
    }
    for (const std::string& text :
         {std::string("Options:"), std::string(" All users: 0"), std::string(" Desktop: 1"),
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
    EXPECT_EQ(texts.key, std::string(kUninstallKeyPrefix) + params_.displayName + " - 77");
    const std::string d = params_.displayName + " - Partner";
    const std::string folder = params_.installFolder;
    const std::string u = folder + "\\ZembricoUninstall.exe";
    struct Expected {
        const char* name;
        std::string text;
    };
    const Expected strings[] = {
        {"DisplayName", d},
        {"DisplayIcon", u},
        {"UninstallString", "\"" + u + "\" /u:" + params_.displayName + " /o:77"},
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
    const std::string uninstallArgs = "/u:" + params_.displayName + " /o:77";
    checkLink(Installed("Uninstall " + d + ".lnk"), u, uninstallArgs);
    checkLink(fs::path(params_.programsFolder) / d / (d + ".lnk"), app, "--o:77");
    checkLink(fs::path(params_.programsFolder) / d / ("Uninstall " + d + ".lnk"), u, uninstallArgs);
    checkLink(fs::path(params_.desktopFolder) / (d + ".lnk"), app, "--o:77");
    checkLink(fs::path(params_.startMenuFolder) / (d + ".lnk"), app, "--o:77");
    checkLink(fs::path(params_.quickLaunchFolder) / (d + ".lnk"), app, "--o:77");
}

TEST_F(InstallerWorkerTest, NamesThatClimbOutMakeNothingOutsideTheirFolders) {
    // Values that reach the worker unchecked: the registration refuses the oid on its own, and
    // the operator name names files only in its plain form.
    params_.oname = "Evil\\..\\..\\..\\Escaped";
    params_.oid = "x\\y /u:Other";
    params_.desktopShortcut = params_.startMenuShortcut = params_.quickLaunchShortcut = 1;
    ASSERT_EQ(Install().back(), kInstallComplete);
    const std::string key = std::string(kUninstallKeyPrefix) + params_.displayName;
    EXPECT_EQ(MakeRegistrationTexts(params_).key, key);
    EXPECT_EQ(ReadValue(key, "UninstallString").text,
              "\"" + params_.installFolder + "\\ZembricoUninstall.exe\" /u:" + params_.displayName);
    EXPECT_EQ(ReadValue(key, "DisplayName").text, params_.displayName + " - " + params_.oname);
    const std::string plain = params_.displayName + " - Evil_.._.._.._Escaped";
    const fs::path group = fs::path(params_.programsFolder) / plain;
    EXPECT_EQ(ReadValue(key, "SMPGroup").text, group.string());
    const std::vector<fs::path> places = {params_.installFolder, group, params_.desktopFolder,
                                          params_.startMenuFolder, params_.quickLaunchFolder};
    size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
        if (entry.path().extension() != ".lnk") continue;
        ++count;
        EXPECT_NE(std::find(places.begin(), places.end(), entry.path().parent_path()), places.end())
            << entry.path();
        EXPECT_TRUE(entry.path().stem().string().ends_with(plain)) << entry.path();
    }
    // The group's own two would pass MAX_PATH with this test's long display name.
    EXPECT_GE(count, 4u);
    for (const fs::path& folder :
         {fs::path(params_.desktopFolder), fs::path(params_.startMenuFolder),
          fs::path(params_.quickLaunchFolder)})
        EXPECT_TRUE(fs::exists(folder / (plain + ".lnk"))) << folder;
    EXPECT_TRUE(fs::exists(Installed("Uninstall " + plain + ".lnk")));
    EXPECT_FALSE(fs::exists(root_.parent_path() / "Escaped"));
    EXPECT_FALSE(fs::exists(root_.parent_path() / "Escaped.lnk"));
}

TEST_F(InstallerWorkerTest, KeyWithoutOidEndsInDisplayName) {
    ASSERT_EQ(Install().back(), kInstallComplete);
    const std::string key = std::string(kUninstallKeyPrefix) + params_.displayName;
    EXPECT_EQ(ReadValue(key, "DisplayName").text, params_.displayName);
    EXPECT_EQ(ReadValue(key, "UninstallString").text,
              "\"" + params_.installFolder + "\\ZembricoUninstall.exe\" /u:" + params_.displayName);
    EXPECT_EQ(ReadShortcut(fs::path(params_.programsFolder) / params_.displayName /
                           (params_.displayName + ".lnk"))
                  .arguments,
              "");
}

TEST_F(InstallerWorkerTest, ExistingUserIniStaysByteForByte) {
    const std::string own = "[Mine]\r\nkeep=1\r\n\r\n#comment\r\n";
    WriteFile(Installed("user.ini"), own);
    // The archive's copy is discarded as well as the settings step's.
    AddPayloadFile("user.ini", kArchiveUserIni);
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
    const long before = static_cast<long>(std::time(nullptr));
    ASSERT_EQ(Install().back(), kInstallComplete);
    const long after = static_cast<long>(std::time(nullptr));
    std::string text = ReadFile(Installed("tinfo.dat"));
    IniXorTracking(reinterpret_cast<std::uint8_t*>(text.data()), text.size());
    ASSERT_EQ(text.rfind("[TInfo]\nTHM=abc\nGID=7\nITS=", 0), 0u) << text;
    const size_t zone = text.find("\nIZ=");
    ASSERT_NE(zone, std::string::npos);
    const long its = std::stol(text.substr(26, zone - 26));
    EXPECT_GE(its, before);
    EXPECT_LE(its, after);
    TIME_ZONE_INFORMATION info;
    const bool daylight = GetTimeZoneInformation(&info) == TIME_ZONE_ID_DAYLIGHT;
    const long east = -60L * (info.Bias + (daylight ? info.DaylightBias : 0));
    // In UTC a zone left out would pass too; the test command sets one.
    ASSERT_NE(east, 0) << "runs in UTC: set TZ to a zone away from it";
    EXPECT_EQ(text.substr(zone + 1), "IZ=" + std::to_string(east) + "\n");

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

TEST_F(InstallerWorkerTest, FileThatCannotBeOpened) {
    fs::create_directories(Installed("readme.txt"));
    std::string text;
    EXPECT_EQ(Install(&text).back(), kInstallFailedWithText);
    EXPECT_EQ(text.rfind("Cannot open file '" + params_.installFolder + "\\readme.txt': ", 0), 0u)
        << text;
}

TEST_F(InstallerWorkerTest, MessageIdZeroPostsNothing) {
    const auto worker = MakeWorker();
    ASSERT_TRUE(worker->start(params_, window_.handle(), 0));
    worker->closeThreadHandle();
    EXPECT_TRUE(window_.pending().empty());
    EXPECT_EQ(ReadFile(Installed("zz.txt")), "last");
}

TEST_F(InstallerWorkerTest, CompletionHitReachesTheCollector) {
    LoopbackCollector collector;
    const auto worker = MakeWorker(collector.host());
    worker->analytics().setIdentity("Zembrico", "UA-1-1", "UA-2-2");
    ASSERT_EQ(Install(*worker).back(), kInstallComplete);
    const auto requests = collector.waitForRequests(2);
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests)
        EXPECT_NE(
            LoopbackCollector::Body(request).find("&an=Zembrico.com&av=&t=screenview"
                                                  "&cd=InstallationWindow/InstallComplete&cd13="),
            std::string::npos);
}

}  // namespace
