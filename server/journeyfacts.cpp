#include "server/journeyfacts.h"

#include "server/journeystore.h"

std::optional<std::int64_t> DimensionId(SqlDb& db, const std::string& kind,
                                        const std::string& value) {
    const auto rows =
        db.query("SELECT id FROM dimension_ids WHERE kind = ? AND value = ?", {kind, value});
    if (rows.empty()) return std::nullopt;
    return SqlInt(rows[0][0]);
}

std::int64_t JourneyFacts::idOf(SqlDb& db, const char* kind, const std::string& value) {
    const auto key = std::make_pair(std::string(kind), value);
    if (auto found = ids_.find(key); found != ids_.end()) return found->second;
    // Another replica may add the same value meanwhile: whoever comes second reads its number.
    db.query("INSERT INTO dimension_ids (kind, value) VALUES (?, ?) ON CONFLICT DO NOTHING",
             {key.first, value});
    const std::int64_t id = DimensionId(db, key.first, value).value();
    ids_.emplace(key, id);
    return id;
}

void JourneyFacts::save(SqlDb& db, const Journey& journey) {
    db.query(
        "INSERT INTO journey_facts (id, day, site, campaign, language, version, steps) "
        "VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET day = excluded.day, "
        "site = excluded.site, campaign = excluded.campaign, language = excluded.language, "
        "version = excluded.version, steps = excluded.steps",
        {journey.id, journey.day, idOf(db, "site", journey.site),
         idOf(db, "campaign", journey.campaign), idOf(db, "language", journey.language),
         idOf(db, "version", journey.version), journey.steps});
}
