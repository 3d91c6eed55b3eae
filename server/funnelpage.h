#pragma once

#include <string>
#include <vector>

#include "server/funnelquery.h"

// The values each filter offers (FilterValues).
struct FilterChoices {
    std::vector<std::string> sites, campaigns, languages, versions;
};

// The funnel view: filters, the main steps with their rates, the funnel and daily charts, the
// outcomes beside the funnel and the table per day. Every text from the store is escaped.
std::string FunnelPageBody(const FunnelFilter& filter, const FunnelReport& report,
                           const FilterChoices& choices);

// The same numbers as CSV: a header, one line per day, a total line.
std::string FunnelCsv(const FunnelReport& report);

// "12.5 %" of `count` in `of`; "–" when `of` is 0.
std::string Rate(std::int64_t count, std::int64_t of);
