#include "server/journeystore.h"

#include <array>

#include "server/funnelsteps.h"

namespace {}  // namespace

const char kJourneyColumns[] =
    "id, journey_key, token, client_id, day, site, campaign, language, version, steps, "
    "first_seen, from_download";

Journey JourneyFromRow(const SqlRow& row) {
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

namespace {

std::string SelectSql(SqlDb::Dialect dialect) {
    std::string sql =
        "SELECT " + std::string(kJourneyColumns) + " FROM journeys WHERE journey_key = ?";
    if (dialect == SqlDb::Dialect::Postgres) sql += " FOR UPDATE";
    return sql;
}

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

// The rows of funnel_daily a journey counts in: all journeys, and its value of each filter.
struct Bucket {
    std::string_view kind;
    const std::string* value;
};

std::array<Bucket, 5> BucketsOf(const Journey& journey) {
    static const std::string all;
    return {{{"", &all},
             {"site", &journey.site},
             {"campaign", &journey.campaign},
             {"language", &journey.language},
             {"version", &journey.version}}};
}

// Adds to the bucket: `journeys` to its count of journeys and, to each step's count, the
// difference the step makes between `removed` and `added` (steps bits; -1 for no journey).
void Count(SqlDb& db, const Bucket& bucket, std::int64_t day, std::int64_t journeys,
           std::int64_t removed, std::int64_t added) {
    static const std::string sql = CountSql();
    std::vector<SqlValue> values{std::string(bucket.kind), *bucket.value, day, journeys};
    for (const FunnelStep& step : FunnelSteps()) {
        const std::int64_t was = removed >= 0 && (removed & step.bits) ? 1 : 0;
        const std::int64_t is = added >= 0 && (added & step.bits) ? 1 : 0;
        values.emplace_back(is - was);
    }
    db.query(sql, values);
}

// Moves the journey's count from the buckets of `before` to those of `after`: a bucket that
// stays gets the steps' difference alone.
void Recount(SqlDb& db, const Journey& before, const Journey& after) {
    const auto from = BucketsOf(before);
    const auto to = BucketsOf(after);
    for (std::size_t i = 0; i < to.size(); ++i) {
        if (before.id == 0) {
            Count(db, to[i], after.day, 1, -1, after.steps);
        } else if (*from[i].value == *to[i].value && before.day == after.day) {
            if (before.steps != after.steps)
                Count(db, to[i], after.day, 0, before.steps, after.steps);
        } else {
            Count(db, from[i], before.day, -1, before.steps, -1);
            Count(db, to[i], after.day, 1, -1, after.steps);
        }
    }
}

}  // namespace

std::optional<Journey> LoadJourney(SqlDb& db, const std::string& key) {
    static const std::string sqlite = SelectSql(SqlDb::Dialect::Sqlite);
    static const std::string postgres = SelectSql(SqlDb::Dialect::Postgres);
    const auto rows = db.query(db.dialect() == SqlDb::Dialect::Sqlite ? sqlite : postgres, {key});
    if (rows.empty()) return std::nullopt;
    return JourneyFromRow(rows[0]);
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
    }
    Recount(db, before, after);
}
