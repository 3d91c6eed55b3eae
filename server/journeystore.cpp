#include "server/journeystore.h"

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

}  // namespace

std::optional<Journey> LoadJourney(SqlDb& db, const std::string& key) {
    static const std::string sqlite = SelectSql(SqlDb::Dialect::Sqlite);
    static const std::string postgres = SelectSql(SqlDb::Dialect::Postgres);
    const auto rows = db.query(db.dialect() == SqlDb::Dialect::Sqlite ? sqlite : postgres, {key});
    if (rows.empty()) return std::nullopt;
    return JourneyFromRow(rows[0]);
}

void SaveJourney(SqlDb& db, const Journey& before, Journey& after, FunnelCounts& counts,
                 JourneyFacts& facts) {
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
    facts.save(db, after);
    if (before.id != 0) counts.add(before, -1);
    counts.add(after, 1);
}
