#pragma once

#include <string>
#include <string_view>

#include "server/funnelquery.h"

// The funnel's filters in a page address: from=YYYY-MM-DD&to=...&site=...&campaign=...&
// language=...&version=.... A filter's value is sent as "=" and the value ("=" alone: the value
// that was never reported); absent or empty: no filter.

// The longest span the dashboard shows at once.
inline constexpr std::int64_t kMaxDays = 731;

// The filter of a query string. Without valid dates: the 30 days up to `today`; dates the
// wrong way round are swapped; a span longer than kMaxDays keeps its last kMaxDays days.
FunnelFilter ReadFunnelForm(std::string_view query, std::int64_t today);

// The query string of `filter`, escaped.
std::string FunnelFormQuery(const FunnelFilter& filter);
