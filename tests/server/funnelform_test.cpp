#include "server/funnelform.h"

#include <gtest/gtest.h>

#include "server/dates.h"

namespace {

const std::int64_t kToday = ParseDay("2025-03-01").value();

TEST(Dates, ReadAndWriteDaysAndRefuseDatesThatDoNotExist) {
    EXPECT_EQ(ParseDay("1970-01-01"), 0);
    EXPECT_EQ(DayText(ParseDay("2024-02-29").value()), "2024-02-29");
    EXPECT_EQ(ParseDay("2024-02-29").value() + 1, ParseDay("2024-03-01"));
    for (const char* wrong : {"2023-02-29", "2024-13-01", "2024-1-01", "2024-01-01x", "",
                              "abcd-ef-gh", "2024-00-10", "-001-01-01"})
        EXPECT_EQ(ParseDay(wrong), std::nullopt) << wrong;
}

TEST(FunnelForm, WithoutDatesShowsTheLastThirtyDays) {
    const FunnelFilter filter = ReadFunnelForm("site=&campaign=", kToday);
    EXPECT_EQ(filter.toDay, kToday);
    EXPECT_EQ(filter.fromDay, kToday - 29);
    EXPECT_FALSE(filter.site);
    EXPECT_FALSE(filter.campaign);
}

TEST(FunnelForm, SwapsDatesAndKeepsTheLastDaysOfTooLongASpan) {
    FunnelFilter filter = ReadFunnelForm("from=2025-02-10&to=2025-02-01", kToday);
    EXPECT_EQ(DayText(filter.fromDay), "2025-02-01");
    EXPECT_EQ(DayText(filter.toDay), "2025-02-10");
    filter = ReadFunnelForm("from=1990-01-01&to=2025-01-01", kToday);
    EXPECT_EQ(filter.toDay - filter.fromDay + 1, kMaxDays);
    EXPECT_EQ(DayText(filter.toDay), "2025-01-01");
}

TEST(FunnelForm, AFilterValueRoundTripsThroughTheAddressEvenWhenEmptyOrOdd) {
    FunnelFilter filter;
    filter.fromDay = kToday - 3;
    filter.toDay = kToday;
    filter.site = "Zembrico.FR";
    filter.language = "";
    filter.version = "182, 5, 8,&x=y";
    const FunnelFilter back = ReadFunnelForm(FunnelFormQuery(filter), kToday - 100);
    EXPECT_EQ(back.fromDay, filter.fromDay);
    EXPECT_EQ(back.toDay, filter.toDay);
    EXPECT_EQ(back.site, filter.site);
    EXPECT_EQ(back.campaign, std::nullopt);
    EXPECT_EQ(back.language, "");
    EXPECT_EQ(back.version, filter.version);
}

}  // namespace
