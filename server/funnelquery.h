#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/sqldb.h"

// What the funnel is asked for: days from and to (inclusive, UTC, counted from 1970-01-01) and
// the filters that are set ("" is a value too: a language that was never reported).
struct FunnelFilter {
    std::int64_t fromDay = 0;
    std::int64_t toDay = 0;
    std::optional<std::string> site;
    std::optional<std::string> campaign;
    std::optional<std::string> language;
    std::optional<std::string> version;
};

// The journeys of one day that reached each step, in the order of FunnelSteps().
struct FunnelDay {
    std::int64_t day = 0;
    std::vector<std::int64_t> counts;
};

struct FunnelReport {
    std::vector<FunnelDay> days;       // the days that have journeys, in order
    std::vector<std::int64_t> totals;  // over all days, per step
};

// A journey counts on its day (its download's, else its first hit's). With one filter or none
// this reads the daily counts, with more the journeys of those days.
FunnelReport QueryFunnel(SqlDb& db, const FunnelFilter& filter);

// The values seen of a filter ("site", "campaign", "language" or "version"), in order, at most
// `limit`.
std::vector<std::string> FilterValues(SqlDb& db, const std::string& kind, std::size_t limit);
