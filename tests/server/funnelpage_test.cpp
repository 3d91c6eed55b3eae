#include "server/funnelpage.h"

#include <gtest/gtest.h>

#include "server/funnelchart.h"
#include "server/funnelsteps.h"
#include "server/html.h"
#include "server/installationspage.h"

namespace {

const std::string kHostile = "<script>alert(\"x\")</script>&'";

FunnelReport TwoDays() {
    FunnelReport report;
    const std::size_t steps = FunnelSteps().size();
    report.days = {{100, std::vector<std::int64_t>(steps, 2)},
                   {102, std::vector<std::int64_t>(steps, 1)}};
    report.totals.assign(steps, 3);
    return report;
}

void ExpectNoMarkupFrom(const std::string& page) {
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("alert(\""), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;&#39;"),
              std::string::npos);
}

TEST(FunnelPage, EscapesEveryTextFromTheStore) {
    FunnelFilter filter{.fromDay = 100, .toDay = 102, .site = kHostile};
    const FilterChoices choices{{kHostile}, {kHostile}, {kHostile, ""}, {kHostile}};
    const std::string page =
        DashboardPage("Funnel", "Funnel", FunnelPageBody(filter, TwoDays(), choices));
    ExpectNoMarkupFrom(page);
    EXPECT_NE(page.find("(not reported)"), std::string::npos);
}

TEST(FunnelPage, InstallationsEscapeWhatTheHitsAndTagsSaid) {
    Journey journey{.id = 7,
                    .token = kHostile,
                    .clientId = kHostile,
                    .site = kHostile,
                    .campaign = kHostile,
                    .language = kHostile,
                    .version = kHostile};
    DownloadRow download{0, kHostile, kHostile, "SITEID=" + kHostile + "\n", kHostile, 5, true};
    HitRow hit{};
    hit.clientId = hit.appName = hit.appVersion = hit.screen = hit.account = kHostile;
    ExpectNoMarkupFrom(InstallationBody(journey, {download}, {hit}));
    ExpectNoMarkupFrom(InstallationsBody(JourneySearch::ClientId, kHostile, {journey}));
}

TEST(FunnelPage, CsvHasAHeaderADayPerLineAndTheTotals) {
    const std::string csv = FunnelCsv(TwoDays());
    EXPECT_TRUE(csv.starts_with("day,downloads,first_screen,"));
    EXPECT_NE(csv.find("\r\n1970-04-11,2,2,"), std::string::npos);
    EXPECT_NE(csv.find("\r\n1970-04-13,1,1,"), std::string::npos);
    EXPECT_TRUE(csv.ends_with("\r\ntotal,3,3,3,3,3,3,3,3,3,3\r\n"));
}

TEST(FunnelPage, RatesNeedSomethingToBeARateOf) {
    EXPECT_EQ(Rate(1, 3), "33.3 %");
    EXPECT_EQ(Rate(0, 0), "–");
}

TEST(FunnelChart, DrawsALinePerChartedStepOverEveryDayOfTheSpan) {
    const std::string svg = DailyChartSvg(TwoDays(), 100, 104);
    std::size_t lines = 0;
    for (std::size_t at = svg.find("<polyline"); at != std::string::npos;
         at = svg.find("<polyline", at + 1)) {
        ++lines;
        const std::size_t start = svg.find("points=\"", at) + 8;
        const std::string points = svg.substr(start, svg.find('"', start) - start);
        // One point per day: 100 to 104, the days without journeys at 0.
        EXPECT_EQ(std::count(points.begin(), points.end(), ','), 5) << points;
    }
    EXPECT_EQ(lines, std::size(kChartedSteps));
    EXPECT_NE(svg.find(">04-11<"), std::string::npos);
    EXPECT_NE(svg.find(">04-15<"), std::string::npos);
}

}  // namespace
