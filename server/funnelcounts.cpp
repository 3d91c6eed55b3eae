#include "server/funnelcounts.h"

#include <algorithm>

#include "server/funnelsteps.h"
#include "server/journeystore.h"

namespace {

// "INSERT INTO funnel_daily (...) VALUES (...) ON CONFLICT (...) DO UPDATE SET c = c + ...",
// one column per step: made once from the step table, never from input.
std::string CountSql() {
    std::string columns = "kind, value, day, journeys";
    std::string values = "?, ?, ?, ?";
    std::string sums = "journeys = funnel_daily.journeys + excluded.journeys";
    for (const FunnelStep& step : FunnelSteps()) {
        const std::string column(step.column);
        columns += ", " + column;
        values += ", ?";
        sums += ", " + column + " = funnel_daily." + column + " + excluded." + column;
    }
    return "INSERT INTO funnel_daily (" + columns + ") VALUES (" + values +
           ") ON CONFLICT (kind, value, day) DO UPDATE SET " + sums;
}

}  // namespace

void FunnelCounts::add(const Journey& journey, std::int64_t sign) {
    const auto steps = FunnelSteps();
    const std::pair<const char*, const std::string*> buckets[] = {{"", nullptr},
                                                                  {"site", &journey.site},
                                                                  {"campaign", &journey.campaign},
                                                                  {"language", &journey.language},
                                                                  {"version", &journey.version}};
    for (const auto& [kind, value] : buckets) {
        auto& delta = deltas_[Key(kind, value ? *value : "", journey.day)];
        delta.resize(1 + steps.size());
        delta[0] += sign;
        for (std::size_t i = 0; i < steps.size(); ++i)
            if (journey.steps & steps[i].bits) delta[1 + i] += sign;
    }
}

void FunnelCounts::write(SqlDb& db) {
    static const std::string sql = CountSql();
    for (const auto& [key, delta] : deltas_) {
        if (std::all_of(delta.begin(), delta.end(), [](std::int64_t d) { return d == 0; }))
            continue;
        std::vector<SqlValue> values{std::get<0>(key), std::get<1>(key), std::get<2>(key)};
        values.insert(values.end(), delta.begin(), delta.end());
        db.query(sql, values);
    }
    deltas_.clear();
}
