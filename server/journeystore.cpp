#include "server/journeystore.h"

#include "server/funnelsteps.h"

namespace {

constexpr std::string_view kColumns =
    "id, journey_key, token, client_id, day, site, campaign, language, version, steps, "
    "first_seen, from_download";

Journey FromRow(const SqlRow& row) {
    return Journey{
        .id = SqlInt(row[0]),
        .key = SqlText(row[1]),
        .token = SqlText(row[2]),
        .clientId = SqlText(row[3]),
        .day = SqlInt(row[4]),
        .site = SqlText(row[5]),
        .campaign = SqlText(row[6]),
        .language = SqlText(row[7]),
        .version = SqlText(row[8]),
        .steps = SqlInt(row[9]),
        .firstSeenMs = SqlInt(row[10]),
        .fromDownload = SqlInt(row[11]) != 0,
    };
}

std::string SelectSql(SqlDb::Dialect dialect) {
    std::string sql = "SELECT " + std::string(kColumns) + " FROM journeys WHERE journey_key = ?";
    if (dialect == SqlDb::Dialect::Postgres) sql += " FOR UPDATE";
    return sql;
}

// "INSERT INTO funnel_daily (...) VALUES (...) ON CONFLICT (...) DO UPDATE SET c = c + ...",
// one column per step: made once from the step table, never from input.
std::string CountSql() {
    std::string columns = "day, site, campaign, language, version, journeys";
    std::string values = "?, ?, ?, ?, ?, ?";
    std::string sums = "journeys = funnel_daily.journeys + excluded.journeys";
    for (const FunnelStep& step : FunnelSteps()) {
        const std::string column(step.column);
        columns += ", " + column;
        values += ", ?";
        sums += ", " + column + " = funnel_daily." + column + " + excluded." + column;
    }
    return "INSERT INTO funnel_daily (" + columns + ") VALUES (" + values +
           ") ON CONFLICT (day, site, campaign, language, version) DO UPDATE SET " + sums;
}

// Adds `sign` (1 or -1) times the journey to its bucket.
void Count(SqlDb& db, const Journey& journey, std::int64_t sign) {
    static const std::string sql = CountSql();
    std::vector<SqlValue> values{journey.day,      journey.site,    journey.campaign,
                                 journey.language, journey.version, sign};
    for (const FunnelStep& step : FunnelSteps())
        values.emplace_back((journey.steps & step.bits) ? sign : std::int64_t{0});
    db.query(sql, values);
}

void NoteDimensions(SqlDb& db, const Journey& before, const Journey& after) {
    const std::pair<std::string_view, const std::string Journey::*> kinds[] = {
        {"site", &Journey::site},
        {"campaign", &Journey::campaign},
        {"language", &Journey::language},
        {"version", &Journey::version},
    };
    for (const auto& [kind, field] : kinds) {
        const std::string& value = after.*field;
        if (value.empty() || (before.id != 0 && before.*field == value)) continue;
        db.query("INSERT INTO dimension_values (kind, value) VALUES (?, ?) ON CONFLICT DO NOTHING",
                 {std::string(kind), value});
    }
}

}  // namespace

std::optional<Journey> LoadJourney(SqlDb& db, const std::string& key) {
    static const std::string sqlite = SelectSql(SqlDb::Dialect::Sqlite);
    static const std::string postgres = SelectSql(SqlDb::Dialect::Postgres);
    const auto rows = db.query(db.dialect() == SqlDb::Dialect::Sqlite ? sqlite : postgres, {key});
    if (rows.empty()) return std::nullopt;
    return FromRow(rows[0]);
}

void SaveJourney(SqlDb& db, const Journey& before, Journey& after) {
    if (before.id != 0 && before == after) return;
    if (before.id == 0) {
        const auto rows = db.query(
            "INSERT INTO journeys (journey_key, token, client_id, day, site, campaign, language, "
            "version, steps, first_seen, from_download) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id",
            {after.key, after.token, after.clientId, after.day, after.site, after.campaign,
             after.language, after.version, after.steps, after.firstSeenMs,
             std::int64_t{after.fromDownload}});
        after.id = SqlInt(rows.at(0).at(0));
    } else {
        db.query(
            "UPDATE journeys SET client_id = ?, day = ?, site = ?, campaign = ?, language = ?, "
            "version = ?, steps = ?, from_download = ? WHERE id = ?",
            {after.clientId, after.day, after.site, after.campaign, after.language, after.version,
             after.steps, std::int64_t{after.fromDownload}, after.id});
        Count(db, before, -1);
    }
    Count(db, after, 1);
    NoteDimensions(db, before, after);
}
