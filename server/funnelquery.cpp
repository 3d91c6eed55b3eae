#include "server/funnelquery.h"

#include <array>
#include <stdexcept>

#include "server/funnelsteps.h"
#include "server/journeyfacts.h"

namespace {

struct Filter {
    const char* kind;
    const std::optional<std::string>& value;
    bool indexed;  // journey_facts has an index led by it
};

// Two filters or more always include an indexed one: the version alone has no index.
std::array<Filter, 4> FiltersOf(const FunnelFilter& filter) {
    return {{{"site", filter.site, true},
             {"campaign", filter.campaign, true},
             {"language", filter.language, true},
             {"version", filter.version, false}}};
}

// "day, downloads, first_screen, ..." for the daily counts.
std::string CountedColumns() {
    std::string columns = "day";
    for (const FunnelStep& step : FunnelSteps()) columns += ", " + std::string(step.column);
    return columns;
}

// "day, SUM(CASE WHEN (steps & 1) <> 0 THEN 1 ELSE 0 END), ..." for the journeys.
std::string SummedSteps() {
    std::string columns = "day";
    for (const FunnelStep& step : FunnelSteps())
        columns +=
            ", SUM(CASE WHEN (steps & " + std::to_string(step.bits) + ") <> 0 THEN 1 ELSE 0 END)";
    return columns;
}

FunnelReport Collect(const std::vector<SqlRow>& rows) {
    FunnelReport report;
    report.totals.assign(FunnelSteps().size(), 0);
    for (const SqlRow& row : rows) {
        FunnelDay& day = report.days.emplace_back();
        day.day = SqlInt(row[0]);
        for (std::size_t i = 1; i < row.size(); ++i) {
            day.counts.push_back(SqlInt(row[i]));
            report.totals[i - 1] += day.counts.back();
        }
    }
    return report;
}

FunnelReport FromDailyCounts(SqlDb& db, const FunnelFilter& filter, const Filter* only) {
    static const std::string sql = "SELECT " + CountedColumns() +
                                   " FROM funnel_daily WHERE kind = ? AND value = ? AND day "
                                   "BETWEEN ? AND ? AND journeys > 0 ORDER BY day";
    return Collect(
        db.query(sql, {std::string(only ? only->kind : ""), only ? *only->value : std::string(),
                       filter.fromDay, filter.toDay}));
}

// The journeys of the day span with `filter`'s value, as the daily counts have them.
std::int64_t JourneysWith(SqlDb& db, const FunnelFilter& span, const Filter& filter) {
    return SqlInt(db.query("SELECT SUM(journeys) FROM funnel_daily WHERE kind = ? AND value = ? "
                           "AND day BETWEEN ? AND ?",
                           {std::string(filter.kind), *filter.value, span.fromDay, span.toDay})
                      .at(0)
                      .at(0));
}

// The journeys' narrow rows, read through the index of the filter that leaves the fewest (the
// daily counts say which; SQLite is told, PostgreSQL's planner has statistics of its own), the
// other filters applied to each. The statement's text depends only on which filters are set;
// the values are parameters.
FunnelReport FromJourneyFacts(SqlDb& db, const FunnelFilter& filter) {
    const auto filters = FiltersOf(filter);
    const Filter* narrowest = nullptr;
    std::int64_t fewest = 0;
    std::vector<SqlValue> ids;
    for (const Filter& each : filters) {
        if (!each.value) continue;
        const std::optional<std::int64_t> id = DimensionId(db, each.kind, *each.value);
        if (!id) return Collect({});
        ids.emplace_back(*id);
        if (!each.indexed) continue;
        const std::int64_t count = JourneysWith(db, filter, each);
        if (!narrowest || count < fewest) {
            narrowest = &each;
            fewest = count;
        }
    }
    std::string sql = "SELECT " + SummedSteps() + " FROM journey_facts";
    if (db.dialect() == SqlDb::Dialect::Sqlite)
        sql += " INDEXED BY journey_facts_" + std::string(narrowest->kind);
    sql += " WHERE day BETWEEN ? AND ?";
    for (const Filter& each : filters)
        if (each.value) sql += " AND " + std::string(each.kind) + " = ?";
    std::vector<SqlValue> values{filter.fromDay, filter.toDay};
    values.insert(values.end(), ids.begin(), ids.end());
    return Collect(db.query(sql + " GROUP BY day ORDER BY day", values));
}

}  // namespace

FunnelReport QueryFunnel(SqlDb& db, const FunnelFilter& filter) {
    const Filter* only = nullptr;
    int set = 0;
    const auto filters = FiltersOf(filter);
    for (const Filter& each : filters) {
        if (!each.value) continue;
        only = &each;
        ++set;
    }
    return set <= 1 ? FromDailyCounts(db, filter, only) : FromJourneyFacts(db, filter);
}

std::vector<std::string> FilterValues(SqlDb& db, const std::string& kind, std::size_t limit) {
    if (kind != "site" && kind != "campaign" && kind != "language" && kind != "version")
        throw std::invalid_argument("no filter " + kind);
    std::vector<std::string> values;
    for (const SqlRow& row :
         db.query("SELECT DISTINCT value FROM funnel_daily WHERE kind = ? AND journeys > 0 "
                  "ORDER BY value LIMIT ?",
                  {kind, static_cast<std::int64_t>(limit)}))
        values.push_back(SqlText(row[0]));
    return values;
}
