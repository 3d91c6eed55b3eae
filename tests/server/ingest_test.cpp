#include "server/ingest.h"

#include <gtest/gtest.h>

#include <map>

#include "installer/core/analyticspayload.h"
#include "server/funnelquery.h"
#include "server/funnelsteps.h"
#include "server/teststores.h"

namespace {

constexpr std::int64_t kDay = 20000;
constexpr std::int64_t kDayMs = 86400000;

std::int64_t At(std::int64_t day, std::int64_t second) {
    return day * kDayMs + second * 1000;
}

AnalyticsIdentity Machine(std::string clientId, std::string site, std::string gid) {
    return {.appNameBase = "Zembrico." + site,
            .appVersion = "182, 5, 8,",
            .generalAccount = "UA-10000001-1",
            .licenceAccount = "UA-10000002-1",
            .clientId = std::move(clientId),
            .groupId = std::move(gid)};
}

AnalyticsHit Screen(std::string name) {
    return {.type = AnalyticsHit::Type::ScreenView, .screenName = "InstallationWindow/" + name};
}

AnalyticsHit Language(std::string english) {
    return {.type = AnalyticsHit::Type::Event,
            .category = "Installation_Language_Change_51569",
            .action = english,
            .label = english};
}

std::size_t StepIndex(std::string_view column) {
    const auto steps = FunnelSteps();
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (steps[i].column == column) return i;
    ADD_FAILURE() << "no step " << column;
    return 0;
}

class Ingest : public StoreKinds {
  protected:
    // Every body the setup program would post for `hit`, both accounts, as the server takes them.
    void send(const AnalyticsIdentity& machine, const AnalyticsHit& hit, std::int64_t ms) {
        std::vector<StoreItem> items;
        for (const std::string& body : HitPayloads(machine, hit)) {
            std::string why;
            items.emplace_back(ReceivedHit{ParseHitBody(body, why).value(), ms, "192.0.2.7"});
        }
        StoreItems(*db_, items);
    }

    void download(std::string tag, std::int64_t ms, bool completed = true) {
        const StoreItem item = DownloadRecord{.timeMs = ms,
                                              .build = "ZembricoInstall.exe",
                                              .tag = std::move(tag),
                                              .peer = "192.0.2.7",
                                              .bytesSent = completed ? 1000u : 10u,
                                              .completed = completed};
        StoreItems(*db_, std::span(&item, 1));
    }

    // Step column -> total over the days, for `filter` over a week around kDay.
    std::map<std::string, std::int64_t> totals(FunnelFilter filter = {}) {
        filter.fromDay = kDay - 3;
        filter.toDay = kDay + 3;
        const FunnelReport report = QueryFunnel(*db_, filter);
        std::map<std::string, std::int64_t> totals;
        for (const FunnelStep& step : FunnelSteps())
            totals[std::string(step.column)] = report.totals[StepIndex(step.column)];
        return totals;
    }

    std::int64_t count(const std::string& sql) { return SqlInt(db_->query(sql)[0][0]); }

    // An installation through to its end, as the wizard sends it.
    void install(const AnalyticsIdentity& machine, std::int64_t day, std::string language) {
        send(machine, Screen("SufficientSpace"), At(day, 10));
        send(machine, Screen("InstallStarted"), At(day, 20));
        send(machine, Language(language), At(day, 21));
        send(machine, Screen("InstallComplete"), At(day, 60));
    }

    Store store_{fresh_.location, "normal"};
    std::unique_ptr<SqlDb> db_ = store_.connect();
};

TEST_P(Ingest, EveryHitIsStoredAndAnInstallationCountsOncePerStep) {
    const AnalyticsIdentity machine = Machine("c1", "FR", "summer~tokA");
    download("SITEID=FR\nGID=summer~tokA|affiliate9\n", At(kDay, 0));
    install(machine, kDay, "German");
    send(machine, Screen("WV2Close"), At(kDay, 70));
    // Two accounts: every hit twice.
    EXPECT_EQ(count("SELECT COUNT(*) FROM hits"), 10);
    EXPECT_EQ(count("SELECT COUNT(DISTINCT account) FROM hits"), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM journeys"), 1);
    const auto all = totals();
    EXPECT_EQ(all.at("downloads"), 1);
    EXPECT_EQ(all.at("first_screen"), 1);
    EXPECT_EQ(all.at("sufficient"), 1);
    EXPECT_EQ(all.at("insufficient"), 0);
    EXPECT_EQ(all.at("licence"), 0);
    EXPECT_EQ(all.at("started"), 1);
    EXPECT_EQ(all.at("completed"), 1);
    EXPECT_EQ(all.at("wv2_close"), 1);
    EXPECT_EQ(all.at("wv2_download"), 0);
    // The download's site and campaign, the language the installation reported.
    FunnelFilter filter;
    filter.site = "FR";
    filter.campaign = "summer";
    filter.language = "German";
    filter.version = "182, 5, 8,";
    EXPECT_EQ(totals(filter), all);
}

TEST_P(Ingest, HitsJoinTheirDownloadOnTheToken) {
    download("SITEID=DE\nGID=spring~tok1\n", At(kDay - 1, 80000));
    send(Machine("c1", "DE", "spring~tok1"), Screen("SufficientSpace"), At(kDay, 5));
    const auto rows = db_->query(
        "SELECT j.token, j.site, j.campaign, j.day, d.token, COUNT(*) FROM hits h JOIN journeys j "
        "ON h.journey_id = j.id JOIN downloads d ON d.journey_id = j.id "
        "GROUP BY j.token, j.site, j.campaign, j.day, d.token");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(SqlText(rows[0][0]), "tok1");
    EXPECT_EQ(SqlText(rows[0][1]), "DE");
    EXPECT_EQ(SqlText(rows[0][2]), "spring");
    // The journey belongs to its download's day, though the installer ran the next day.
    EXPECT_EQ(SqlInt(rows[0][3]), kDay - 1);
    EXPECT_EQ(SqlText(rows[0][4]), "tok1");
    EXPECT_EQ(SqlInt(rows[0][5]), 2);
}

TEST_P(Ingest, ADownloadLoggedAfterItsHitsTakesTheirJourneyOver) {
    send(Machine("c1", "FR", "camp~late"), Screen("InsufficientSpace"), At(kDay + 1, 5));
    FunnelFilter reported;
    reported.site = "Zembrico.FR";
    EXPECT_EQ(totals(reported).at("insufficient"), 1);
    download("SITEID=FR\nGID=camp~late\n", At(kDay, 50));
    const auto all = totals();
    EXPECT_EQ(all.at("downloads"), 1);
    EXPECT_EQ(all.at("insufficient"), 1);
    EXPECT_EQ(totals(reported).at("insufficient"), 0);
    FunnelFilter downloaded;
    downloaded.site = "FR";
    EXPECT_EQ(totals(downloaded), all);
    EXPECT_EQ(QueryFunnel(*db_, {.fromDay = kDay, .toDay = kDay}).totals[StepIndex("insufficient")],
              1);
}

TEST_P(Ingest, MachinesSharingADownloadAreOneJourneyAndOthersAreTheirOwn) {
    download("SITEID=FR\nGID=camp~shared\n", At(kDay, 1));
    send(Machine("c1", "FR", "camp~shared"), Screen("SufficientSpace"), At(kDay, 2));
    send(Machine("c2", "FR", "camp~shared"), Screen("SufficientSpace"), At(kDay, 3));
    // Without a token, each machine and group id is a journey.
    send(Machine("c3", "FR", "camp"), Screen("SufficientSpace"), At(kDay, 4));
    send(Machine("c4", "FR", "camp"), Screen("SufficientSpace"), At(kDay, 5));
    send(Machine("c4", "FR", "other"), Screen("SufficientSpace"), At(kDay, 6));
    EXPECT_EQ(count("SELECT COUNT(*) FROM journeys"), 4);
    const auto all = totals();
    EXPECT_EQ(all.at("downloads"), 1);
    EXPECT_EQ(all.at("first_screen"), 4);
}

TEST_P(Ingest, AnUnfinishedDownloadIsLoggedButNotCounted) {
    download("SITEID=FR\nGID=camp~cut\n", At(kDay, 1), /*completed=*/false);
    EXPECT_EQ(count("SELECT COUNT(*) FROM downloads WHERE completed = 0"), 1);
    EXPECT_EQ(totals().at("downloads"), 0);
    download("SITEID=FR\nGID=camp~cut\n", At(kDay, 9));
    EXPECT_EQ(totals().at("downloads"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM journeys"), 1);
}

// The daily counts of one filter add up to those of no filter, and the journeys' own counts
// (several filters) to those of one: the two ways of counting agree.
TEST_P(Ingest, EveryWayOfCountingAgrees) {
    const char* sites[] = {"FR", "DE", "ES"};
    const char* languages[] = {"French", "German", "Spanish", "English"};
    for (int i = 0; i < 60; ++i) {
        const std::string token = "t" + std::to_string(i);
        const std::string gid = "camp" + std::to_string(i % 3) + "~" + token;
        const std::int64_t day = kDay - 1 + i % 3;
        if (i % 4 != 0)
            download(std::string("SITEID=") + sites[i % 3] + "\nGID=" + gid + "\n", At(day, i));
        const AnalyticsIdentity machine = Machine("m" + std::to_string(i), sites[i % 3], gid);
        if (i % 5 == 0) continue;
        if (i % 7 == 0)
            send(machine, Screen("InstallCancelled"), At(day, 100 + i));
        else
            install(machine, day, languages[i % 4]);
    }
    const auto all = totals();
    EXPECT_GT(all.at("completed"), 30);
    for (const char* kind : {"site", "campaign", "language", "version"}) {
        std::map<std::string, std::int64_t> sum;
        for (const std::string& value : FilterValues(*db_, kind, 100)) {
            FunnelFilter one;
            if (std::string(kind) == "site") one.site = value;
            if (std::string(kind) == "campaign") one.campaign = value;
            if (std::string(kind) == "language") one.language = value;
            if (std::string(kind) == "version") one.version = value;
            const auto counted = totals(one);
            for (const auto& [column, n] : counted) sum[column] += n;
            if (std::string(kind) == "version") continue;
            // The same through the journeys: every version, one at a time, with this filter.
            std::map<std::string, std::int64_t> byVersion;
            for (const std::string& version : FilterValues(*db_, "version", 100)) {
                FunnelFilter two = one;
                two.version = version;
                for (const auto& [column, n] : totals(two)) byVersion[column] += n;
            }
            EXPECT_EQ(byVersion, counted) << kind << "=" << value;
        }
        EXPECT_EQ(sum, all) << kind;
    }
}

ZB_BOTH_STORES(Ingest);

}  // namespace
