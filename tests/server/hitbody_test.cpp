#include "server/hitbody.h"

#include <gtest/gtest.h>

#include "installer/core/analyticspayload.h"

namespace {

HitFields Parse(std::string_view body) {
    std::string why;
    const auto hit = ParseHitBody(body, why);
    EXPECT_TRUE(hit) << why << ": " << body;
    return hit.value_or(HitFields{});
}

std::string Refusal(std::string_view body) {
    std::string why;
    EXPECT_FALSE(ParseHitBody(body, why)) << body;
    return why;
}

AnalyticsIdentity FrenchSite() {
    return {.appNameBase = "Zembrico.FR",
            .appVersion = "182, 5, 8,",
            .generalAccount = "UA-10000001-1",
            .licenceAccount = "UA-10000002-1",
            .clientId = ClientIdFromMachineGuid("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"),
            .groupId = "summer~tok123"};
}

AnalyticsHit Screen(std::string name) {
    return {.type = AnalyticsHit::Type::ScreenView, .screenName = std::move(name)};
}

AnalyticsHit LanguageEvent(std::string action, std::string label, int value) {
    return {.type = AnalyticsHit::Type::Event,
            .category = "Installation_Language_Change_51569",
            .action = std::move(action),
            .label = std::move(label),
            .value = value};
}

// ---- the bodies of the description's example, byte for byte ----

TEST(HitBody, ReadsTheExampleScreenViewOfBothAccounts) {
    const HitFields first = Parse(
        "v=1&tid=g&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=screenview&cd=InstallationWindow/TOS"
        "&cd13=c");
    EXPECT_EQ(first.account, "g");
    EXPECT_EQ(first.clientId, "c");
    EXPECT_EQ(first.appName, "Zembrico.FR");
    EXPECT_EQ(first.appVersion, "182, 5, 8,");
    EXPECT_EQ(first.type, "screenview");
    EXPECT_EQ(first.screen, "InstallationWindow/TOS");
    EXPECT_EQ(first.groupId, "");
    const HitFields second = Parse(
        "v=1&tid=l&cid=c&an=Zembrico.FR&av=182, 5, 8,&t=screenview&cd=InstallationWindow/TOS"
        "&cd13=c");
    EXPECT_EQ(second.account, "l");
    EXPECT_EQ(second.screen, first.screen);
}

TEST(HitBody, ReadsAnEmptyLicenceAccount) {
    const HitFields hit = Parse(
        "v=1&tid=&cid=c&an=Zembrico.com&av=&t=screenview&cd=InstallationWindow/InstallStarted"
        "&cd13=c&cd12=x");
    EXPECT_EQ(hit.account, "");
    EXPECT_EQ(hit.appName, "Zembrico.com");
    EXPECT_EQ(hit.appVersion, "");
    EXPECT_EQ(hit.groupId, "x");
}

TEST(HitBody, ReadsAnEventWithoutLabelAndValue) {
    const HitFields hit = Parse(
        "v=1&tid=g&cid=c&an=Zembrico.FR&av=1.0.0.0&t=event&ec=Installation_Language_Change_51569"
        "&ea=English&cd13=c");
    EXPECT_EQ(hit.type, "event");
    EXPECT_EQ(hit.category, "Installation_Language_Change_51569");
    EXPECT_EQ(hit.action, "English");
    EXPECT_EQ(hit.label, "");
    EXPECT_EQ(hit.value, "");
}

// ---- every body the setup program's own composer makes ----

TEST(HitBody, ReadsBackEveryBodyTheSetupProgramComposes) {
    const AnalyticsIdentity identity = FrenchSite();
    const AnalyticsHit hits[] = {
        Screen("InstallationWindow/SufficientSpace"), Screen("InstallationWindow/TOS"),
        Screen("InstallationWindow/InstallComplete"),
        LanguageEvent("Chinese (Simplified)", "Serbian, Latin & Cyrillic", 0),
        LanguageEvent("English", "", 7)};
    for (const AnalyticsHit& sent : hits) {
        const auto bodies = HitPayloads(identity, sent);
        ASSERT_EQ(bodies.size(), 2u);
        for (std::size_t i = 0; i < bodies.size(); ++i) {
            const HitFields hit = Parse(bodies[i]);
            EXPECT_EQ(hit.account, i == 0 ? identity.generalAccount : identity.licenceAccount);
            EXPECT_EQ(hit.clientId, "6f1c2a3b4d5e4f608a7b9c0d1e2f3a4b");
            EXPECT_EQ(hit.appName, "Zembrico.FR");
            EXPECT_EQ(hit.appVersion, "182, 5, 8,");
            EXPECT_EQ(hit.screen, sent.screenName);
            EXPECT_EQ(hit.category, sent.category);
            EXPECT_EQ(hit.action, sent.action);
            EXPECT_EQ(hit.label, sent.label);
            EXPECT_EQ(hit.value, sent.value ? std::to_string(sent.value) : "");
            EXPECT_EQ(hit.groupId, "summer~tok123");
        }
    }
}

TEST(HitBody, ReadsTheUniversalBuildsNameAndAOneCharacterGroup) {
    AnalyticsIdentity identity = FrenchSite();
    identity.appNameBase = "Zembrico";
    identity.groupId = "g";
    identity.licenceAccount = identity.generalAccount;
    const auto bodies = HitPayloads(identity, Screen("InstallationWindow/WV2Close"));
    ASSERT_EQ(bodies.size(), 1u);
    const HitFields hit = Parse(bodies[0]);
    EXPECT_EQ(hit.appName, "Zembrico.com");
    EXPECT_EQ(hit.groupId, "g");
}

// ---- values as they are: nothing escaped ----

TEST(HitBody, KeepsPercentPlusAndAmpersandsThatStartNoField) {
    const HitFields hit =
        Parse("v=1&tid=g&cid=c&an=A&B+C %41&av=1&t=event&ec=e&ea=50% & more&el=x=y&cd13=c");
    EXPECT_EQ(hit.appName, "A&B+C %41");
    EXPECT_EQ(hit.action, "50% & more");
    EXPECT_EQ(hit.label, "x=y");
}

TEST(HitBody, KeepsUtf8AndReadsOtherBytesAsWindows1252) {
    EXPECT_EQ(
        Parse("v=1&tid=g&cid=c&an=Zembrico.FR&av=\xc3\xa9t\xc3\xa9&t=screenview&cd=s").appVersion,
        "\xc3\xa9t\xc3\xa9");
    // 0xE9 is e-acute and 0x80 the euro sign in Windows-1252; 0x81 is undefined there.
    EXPECT_EQ(Parse("v=1&tid=g&cid=c&an=Zembrico.FR&av=\xe9t\x80\x81&t=screenview&cd=s").appVersion,
              "\xc3\xa9t\xe2\x82\xac\xc2\x81");
}

// ---- what is no hit ----

TEST(HitBody, RefusesWhatIsNoHit) {
    EXPECT_EQ(Refusal(""), "not version 1");
    EXPECT_EQ(Refusal("v=2&tid=g&t=screenview&cd=s"), "not version 1");
    EXPECT_EQ(Refusal("v=1x&t=screenview&cd=s"), "not version 1");
    EXPECT_EQ(Refusal("tid=g&v=1&t=screenview&cd=s"), "not version 1");
    EXPECT_EQ(Refusal("v=1&tid=g&t=pageview&cd=s"), "unknown hit type");
    EXPECT_EQ(Refusal("v=1&tid=g&t=screenview"), "screen view without a screen");
    EXPECT_EQ(Refusal("v=1&tid=g&t=event&ec=e"), "event without category or action");
    EXPECT_EQ(Refusal("v=1&tid=g&tid=h&t=screenview&cd=s"), "key given twice");
    EXPECT_EQ(Refusal(std::string_view("v=1&t=screenview&cd=s\0x", 23)), "zero byte");
    EXPECT_EQ(Refusal("v=1&t=screenview&cd=" + std::string(kMaxHitBody, 's')), "body too long");
}

}  // namespace
