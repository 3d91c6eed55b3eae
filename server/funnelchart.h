#pragma once

#include <cstdint>
#include <string>

#include "server/funnelquery.h"

// The dashboard's pictures, drawn here as SVG (the browser fetches nothing for them). Every
// text in them is escaped.

// The funnel's main steps as horizontal bars, each with its count and its share of the first
// step that has any.
std::string FunnelBarsSvg(const FunnelReport& report);

// The main steps and cancellations per day, one line each, from `fromDay` to `toDay` (days
// without journeys at 0), with a scale and dates.
std::string DailyChartSvg(const FunnelReport& report, std::int64_t fromDay, std::int64_t toDay);

// The steps DailyChartSvg draws, as columns of funnel_daily, in the order of its legend.
inline constexpr std::string_view kChartedSteps[] = {"downloads", "first_screen", "started",
                                                     "completed", "cancelled"};
