#include "server/journeyquery.h"

std::vector<Journey> FindJourneys(SqlDb& db, JourneySearch by, const std::string& value,
                                  std::size_t limit) {
    const std::string select = "SELECT " + std::string(kJourneyColumns) + " FROM journeys ";
    const auto count = static_cast<std::int64_t>(limit);
    std::vector<SqlRow> rows;
    switch (by) {
        case JourneySearch::Latest:
            rows = db.query(select + "ORDER BY id DESC LIMIT ?", {count});
            break;
        case JourneySearch::ClientId:
            rows =
                db.query(select + "WHERE client_id = ? ORDER BY id DESC LIMIT ?", {value, count});
            break;
        case JourneySearch::Token:
            rows = db.query(select + "WHERE journey_key = ? ORDER BY id DESC LIMIT ?",
                            {"t:" + value, count});
            break;
    }
    std::vector<Journey> journeys;
    for (const SqlRow& row : rows) journeys.push_back(JourneyFromRow(row));
    return journeys;
}

std::optional<Journey> JourneyById(SqlDb& db, std::int64_t id) {
    const auto rows =
        db.query("SELECT " + std::string(kJourneyColumns) + " FROM journeys WHERE id = ?", {id});
    if (rows.empty()) return std::nullopt;
    return JourneyFromRow(rows[0]);
}

std::vector<DownloadRow> DownloadsOf(SqlDb& db, std::int64_t journeyId) {
    std::vector<DownloadRow> downloads;
    for (const SqlRow& row :
         db.query("SELECT time, build, token, tag, peer, bytes_sent, completed FROM downloads "
                  "WHERE journey_id = ? ORDER BY id",
                  {journeyId})) {
        downloads.push_back({SqlInt(row[0]), SqlText(row[1]), SqlText(row[2]), SqlText(row[3]),
                             SqlText(row[4]), SqlInt(row[5]), SqlInt(row[6]) != 0});
    }
    return downloads;
}

std::vector<HitRow> HitsOf(SqlDb& db, std::int64_t journeyId, std::size_t limit) {
    std::vector<HitRow> hits;
    for (const SqlRow& row : db.query(
             "SELECT h.received, h.peer, h.account, h.client_id, h.app_name, h.app_version, "
             "h.hit_type, h.screen, h.category, h.action, h.label, h.value, h.group_id "
             "FROM hits h JOIN (SELECT client_id, MIN(id) AS first FROM hits WHERE journey_id = ? "
             "GROUP BY client_id) c ON c.client_id = h.client_id "
             "WHERE h.journey_id = ? ORDER BY c.first, h.id LIMIT ?",
             {journeyId, journeyId, static_cast<std::int64_t>(limit)})) {
        HitRow& hit = hits.emplace_back();
        hit.receivedMs = SqlInt(row[0]);
        std::string* texts[] = {&hit.peer,       &hit.account, &hit.clientId, &hit.appName,
                                &hit.appVersion, &hit.type,    &hit.screen,   &hit.category,
                                &hit.action,     &hit.label,   &hit.value,    &hit.groupId};
        for (std::size_t i = 0; i < std::size(texts); ++i) *texts[i] = SqlText(row[i + 1]);
    }
    return hits;
}
