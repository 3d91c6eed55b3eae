#include "installer/core/analyticspayload.h"

#include <gtest/gtest.h>

namespace {

AnalyticsIdentity FrenchSite() {
    AnalyticsIdentity id;
    id.appNameBase = "Zembrico.FR";
    id.appVersion = "182, 5, 8,";
    id.generalAccount = "g";
    id.licenceAccount = "l";
    id.clientId = "c";
    return id;
}

AnalyticsHit ScreenView(std::string name) {
    AnalyticsHit hit;
    hit.screenName = std::move(name);
    return hit;
}

AnalyticsHit Event(std::string category, std::string action, std::string label, int value) {
    AnalyticsHit hit;
    hit.type = AnalyticsHit::Type::Event;
    hit.category = std::move(category);
    hit.action = std::move(action);
    hit.label = std::move(label);
    hit.value = value;
    return hit;
}

TEST(AnalyticsPayload, ScreenViewGoesToBothAccountsInOrder) {
    const auto bodies = HitPayloads(FrenchSite(), ScreenView("InstallationWindow/TOS"));
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(bodies[0],
              "v=1&tid=g&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=screenview"
              "&cd=InstallationWindow/TOS&cd13=c");
    EXPECT_EQ(bodies[1],
              "v=1&tid=l&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=screenview"
              "&cd=InstallationWindow/TOS&cd13=c");
}

TEST(AnalyticsPayload, AccountRule) {
    struct Case {
        const char* general;
        const char* licence;
        std::vector<std::string> tids;
    };
    const Case cases[] = {
        {"UA-1-1", "UA-1-1", {"UA-1-1"}},
        {"UA-1-1", "", {"UA-1-1", ""}},
        {"UA-1-1", "UA-2-2", {"UA-1-1", "UA-2-2"}},
        {"", "", {""}},
    };
    for (const Case& c : cases) {
        AnalyticsIdentity id = FrenchSite();
        id.generalAccount = c.general;
        id.licenceAccount = c.licence;
        const auto bodies = HitPayloads(id, ScreenView("InstallationWindow/InstallStarted"));
        ASSERT_EQ(bodies.size(), c.tids.size()) << c.general << " / " << c.licence;
        for (size_t i = 0; i < bodies.size(); ++i)
            EXPECT_EQ(bodies[i].rfind("v=1&tid=" + c.tids[i] + "&cid=c&", 0), 0u) << bodies[i];
    }
}

TEST(AnalyticsPayload, AppNameGetsComOnlyWithoutDot) {
    EXPECT_EQ(AnalyticsAppName("Zembrico"), "Zembrico.com");
    EXPECT_EQ(AnalyticsAppName("Zembrico.FR"), "Zembrico.FR");
    EXPECT_EQ(AnalyticsAppName(""), ".com");
    AnalyticsIdentity id = FrenchSite();
    id.appNameBase = "Zembrico";
    EXPECT_NE(ComposeHitPayload(id, "g", ScreenView("s")).find("&an=Zembrico.com&av="),
              std::string::npos);
}

TEST(AnalyticsPayload, EventOmitsEmptyLabelAndZeroValue) {
    struct Case {
        const char* label;
        int value;
        const char* tail;
    };
    const Case cases[] = {
        {"", 0,
         "&ea=Fran\xe7"
         "ais&cd13=c"},
        {"English", 0,
         "&ea=Fran\xe7"
         "ais&el=English&cd13=c"},
        {"", 7,
         "&ea=Fran\xe7"
         "ais&ev=7&cd13=c"},
        {"English", -3,
         "&ea=Fran\xe7"
         "ais&el=English&ev=-3&cd13=c"},
    };
    for (const Case& c : cases) {
        const std::string body = ComposeHitPayload(FrenchSite(), "g",
                                                   Event("Installation_Language_Change_51569",
                                                         "Fran\xe7"
                                                         "ais",
                                                         c.label, c.value));
        EXPECT_EQ(body, std::string("v=1&tid=g&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=event"
                                    "&ec=Installation_Language_Change_51569") +
                            c.tail);
    }
}

TEST(AnalyticsPayload, GroupIdOnlyWhenPresent) {
    AnalyticsIdentity id = FrenchSite();
    EXPECT_EQ(ComposeHitPayload(id, "g", ScreenView("s")).find("&cd12="), std::string::npos);
    id.groupId = "7";
    const std::string body = ComposeHitPayload(id, "g", ScreenView("s"));
    EXPECT_EQ(body.substr(body.size() - 14), "&cd13=c&cd12=7");
}

TEST(AnalyticsPayload, ClientIdDropsDashesInBothFields) {
    const std::string guid = "1b4e28ba-2fa1-11d2-883f-0016d3cca427";
    AnalyticsIdentity id = FrenchSite();
    id.clientId = ClientIdFromMachineGuid(guid);
    EXPECT_EQ(id.clientId, "1b4e28ba2fa111d2883f0016d3cca427");
    const std::string body = ComposeHitPayload(id, "g", ScreenView("s"));
    EXPECT_NE(body.find("&cid=1b4e28ba2fa111d2883f0016d3cca427&"), std::string::npos);
    EXPECT_NE(body.find("&cd13=1b4e28ba2fa111d2883f0016d3cca427"), std::string::npos);
    EXPECT_EQ(ClientIdFromMachineGuid(""), "");
    EXPECT_EQ(ClientIdFromMachineGuid("--"), "");
}

}  // namespace
