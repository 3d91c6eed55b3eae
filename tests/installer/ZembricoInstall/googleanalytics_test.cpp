#include "installer/ZembricoInstall/googleanalytics.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "installer/ZembricoInstall/loopbackcollector.h"
#include "installer/core/capturelog.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"

namespace {

class GoogleAnalyticsTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { InitializeSockets(); }
    static void TearDownTestSuite() { CleanupSockets(); }
};

std::vector<std::string> Bodies(const std::vector<std::string>& requests) {
    std::vector<std::string> bodies;
    for (const std::string& request : requests) bodies.push_back(LoopbackCollector::Body(request));
    return bodies;
}

// RRF_SUBKEY_WOW6464KEY, which the MinGW headers lack.
constexpr DWORD kSubkeyWow6464Key = 0x00010000;

// The registry's machine GUID without dashes, read here independently of the client. A 64-bit
// prefix keeps it in the 64-bit view only, which a 32-bit program reaches through the flag.
std::string MachineGuidWithoutDashes(DWORD view) {
    char buffer[256];
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", "MachineGuid",
                     RRF_RT_REG_SZ | view, nullptr, buffer, &size) != ERROR_SUCCESS)
        return {};
    std::string id;
    for (const char* p = buffer; *p; ++p)
        if (*p != '-') id += *p;
    return id;
}

TEST_F(GoogleAnalyticsTest, ScreenViewBodiesForTwoAccounts) {
    LoopbackCollector collector;
    GoogleAnalytics analytics(collector.host(), "182, 5, 8,");
    ASSERT_TRUE(analytics.awaitConnection());
    analytics.setIdentity("Zembrico.FR", "UA-1-1", "UA-2-2");
    analytics.screenView("InstallationWindow/TOS");
    const std::string cid = AnalyticsClientId();
    const std::string own = MachineGuidWithoutDashes(0);
    ASSERT_EQ(cid, own.empty() ? MachineGuidWithoutDashes(kSubkeyWow6464Key) : own);
    ASSERT_EQ(cid.size(), 32u);
    const auto requests = collector.waitForRequests(2);
    ASSERT_EQ(requests.size(), 2u);
    const std::string tail = "&cid=" + cid + "&an=Zembrico.FR&av=182, 5, 8,&t=screenview" +
                             "&cd=InstallationWindow/TOS&cd13=" + cid;
    EXPECT_EQ(Bodies(requests),
              (std::vector<std::string>{"v=1&tid=UA-1-1" + tail, "v=1&tid=UA-2-2" + tail}));
    const std::string body = LoopbackCollector::Body(requests[0]);
    EXPECT_EQ(requests[0],
              "POST /collect HTTP/1.1\r\nHost: " + collector.host() +
                  "\r\nPragma: no-cache\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                  "Content-Length: " +
                  std::to_string(body.size()) + "\r\n\r\n" + body);
}

TEST_F(GoogleAnalyticsTest, EventWithoutDotNameAndGroupId) {
    LoopbackCollector collector;
    GoogleAnalytics analytics(collector.host(), "");
    analytics.setIdentity("Zembrico", "UA-1-1", "UA-1-1");
    analytics.setGroupId("G");
    analytics.event("Installation_Language_Change_51569", "English", "", 0);
    analytics.event("Installation_Language_Change_51569", "English", "Deutsch", 3);
    const auto bodies = Bodies(collector.waitForRequests(2));
    const std::string cid = AnalyticsClientId();
    const std::string head = "v=1&tid=UA-1-1&cid=" + cid + "&an=Zembrico.com&av=&t=event" +
                             "&ec=Installation_Language_Change_51569&ea=English";
    EXPECT_EQ(bodies,
              (std::vector<std::string>{head + "&cd13=" + cid + "&cd12=G",
                                        head + "&el=Deutsch&ev=3&cd13=" + cid + "&cd12=G"}));
}

TEST_F(GoogleAnalyticsTest, UnresolvableHostLogsOnceAndDisables) {
    TakeEarlyLogLines();
    {
        GoogleAnalytics analytics("no-such-host.invalid", "1");
        EXPECT_FALSE(analytics.awaitConnection());
        analytics.setIdentity("Zembrico", "UA-1-1", "UA-2-2");
        EXPECT_NO_THROW(analytics.screenView("InstallationWindow/TOS"));
        EXPECT_NO_THROW(analytics.event("c", "a", "", 0));
    }
    EXPECT_EQ(TakeEarlyLogLines(),
              std::vector<std::string>{"PSystemError caught in GoogleAnalytics::GoogleAnalytics(): "
                                       "Host name not found: gethostbyname() failed"});
}

TEST_F(GoogleAnalyticsTest, PostsFromTwoThreadsNeverInterleave) {
    LoopbackCollector collector;
    GoogleAnalytics analytics(collector.host(), "1");
    analytics.setIdentity("Zembrico", "UA-1-1", "UA-2-2");
    const std::string longName(20000, 'w');
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) analytics.screenView(longName);
    });
    for (int i = 0; i < 50; ++i) analytics.screenView("InstallationWindow/TOS");
    worker.join();
    const auto requests = collector.waitForRequests(200);
    ASSERT_EQ(requests.size(), 200u);
    for (const std::string& request : requests) {
        const std::string body = LoopbackCollector::Body(request);
        ASSERT_EQ(body.rfind("v=1&tid=UA-", 0), 0u);
        const bool isLong = body.find(longName) != std::string::npos;
        const bool isTos = body.find("&cd=InstallationWindow/TOS&") != std::string::npos;
        ASSERT_NE(isLong, isTos);
    }
}

// (tid, cd or ec) of each request, in the order they arrived.
std::vector<std::pair<std::string, std::string>> Hits(const std::vector<std::string>& requests) {
    std::vector<std::pair<std::string, std::string>> hits;
    const auto field = [](const std::string& body, const std::string& name) {
        const size_t at = body.find("&" + name + "=");
        if (at == std::string::npos) return std::string();
        const size_t from = at + name.size() + 2;
        return body.substr(from, body.find('&', from) - from);
    };
    for (const std::string& request : requests) {
        const std::string body = "&" + LoopbackCollector::Body(request);
        const std::string screen = field(body, "cd");
        hits.emplace_back(field(body, "tid"), screen.empty() ? field(body, "ec") : screen);
    }
    return hits;
}

TEST_F(GoogleAnalyticsTest, HitsAskedForWhileConnectingAreSentInOrderOnceConnected) {
    LoopbackCollector collector(/*resetAfterAccept=*/false, /*unreachableUntilOpened=*/true);
    // Had it waited for the connection, the constructor would have found the collector
    // unreachable until its patience ran out, and every hit would be skipped.
    GoogleAnalytics analytics(collector.host(), "1");
    analytics.setIdentity("Zembrico", "UA-1-1", "UA-2-2");
    analytics.screenView("InstallationWindow/SufficientSpace");
    analytics.screenView("InstallationWindow/InstallStarted");
    analytics.event("Installation_Language_Change_51569", "English", "English", 0);
    std::thread worker([&] { analytics.screenView("InstallationWindow/InstallComplete"); });
    worker.join();
    collector.open();
    ASSERT_TRUE(analytics.awaitConnection());
    analytics.screenView("InstallationWindow/WV2Close");

    std::vector<std::pair<std::string, std::string>> expected;
    for (const char* hit :
         {"InstallationWindow/SufficientSpace", "InstallationWindow/InstallStarted",
          "Installation_Language_Change_51569", "InstallationWindow/InstallComplete",
          "InstallationWindow/WV2Close"})
        for (const char* account : {"UA-1-1", "UA-2-2"}) expected.emplace_back(account, hit);
    EXPECT_EQ(Hits(collector.waitForRequests(expected.size())), expected);
    EXPECT_TRUE(collector.waitForConnections(1));
}

TEST_F(GoogleAnalyticsTest, ProductVersionOfAFileWithAVersionResource) {
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string kernel = std::string(system) + "\\kernel32.dll";
    const std::string version = ProductVersionOf(kernel.c_str());
    EXPECT_FALSE(version.empty());
    EXPECT_EQ(ProductVersionOf("C:\\no\\such\\file.exe"), "");

    // The same file in a folder the Western code page cannot name (a Cyrillic user's).
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::filesystem::path folder =
        std::filesystem::path(temp) / L"zb-\u0418\u0432\u0430\u043D";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(kernel, folder / "kernel32.dll",
                               std::filesystem::copy_options::overwrite_existing);
    PString mixed;
    PUtf16ToPString(mixed, (folder / "kernel32.dll").c_str());
    EXPECT_EQ(ProductVersionOf(mixed), version);
    std::filesystem::remove_all(folder);
}

}  // namespace
