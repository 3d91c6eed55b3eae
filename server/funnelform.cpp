#include "server/funnelform.h"

#include <utility>

#include "server/dates.h"
#include "server/formfields.h"

namespace {

struct Field {
    std::string_view name;
    std::optional<std::string> FunnelFilter::*member;
};

constexpr Field kFields[] = {{"site", &FunnelFilter::site},
                             {"campaign", &FunnelFilter::campaign},
                             {"language", &FunnelFilter::language},
                             {"version", &FunnelFilter::version}};

}  // namespace

FunnelFilter ReadFunnelForm(std::string_view query, std::int64_t today) {
    FunnelFilter filter;
    const auto to = ParseDay(FormField(query, "to").value_or(""));
    const auto from = ParseDay(FormField(query, "from").value_or(""));
    filter.toDay = to.value_or(today);
    filter.fromDay = from.value_or(filter.toDay - 29);
    if (filter.fromDay > filter.toDay) std::swap(filter.fromDay, filter.toDay);
    if (filter.toDay - filter.fromDay >= kMaxDays) filter.fromDay = filter.toDay - kMaxDays + 1;
    for (const Field& field : kFields) {
        const std::optional<std::string> value = FormField(query, field.name);
        if (value && value->starts_with('=')) filter.*(field.member) = value->substr(1);
    }
    return filter;
}

std::string FunnelFormQuery(const FunnelFilter& filter) {
    std::string query = "from=" + DayText(filter.fromDay) + "&to=" + DayText(filter.toDay);
    for (const Field& field : kFields) {
        const auto& value = filter.*(field.member);
        if (value) query += "&" + std::string(field.name) + "=" + FormEscape("=" + *value);
    }
    return query;
}
