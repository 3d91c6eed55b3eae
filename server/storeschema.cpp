#include "server/storeschema.h"

#include <chrono>
#include <span>
#include <string>

namespace {

struct Migration {
    int version;
    const char* name;
    const char* sql;  // "{id}": the dialect's auto-numbered key column; "{key}": a whole-number key
};

// Append only: a migration that has shipped is never changed.
const Migration kMigrations[] = {
    {1, "hits, downloads, journeys and daily counts", R"(
CREATE TABLE hits (
    id {id},
    received BIGINT NOT NULL,
    peer TEXT NOT NULL,
    account TEXT NOT NULL,
    client_id TEXT NOT NULL,
    app_name TEXT NOT NULL,
    app_version TEXT NOT NULL,
    hit_type TEXT NOT NULL,
    screen TEXT NOT NULL,
    category TEXT NOT NULL,
    action TEXT NOT NULL,
    label TEXT NOT NULL,
    value TEXT NOT NULL,
    group_id TEXT NOT NULL,
    journey_id BIGINT NOT NULL);
CREATE INDEX hits_journey ON hits (journey_id);
CREATE TABLE downloads (
    id {id},
    time BIGINT NOT NULL,
    build TEXT NOT NULL,
    token TEXT NOT NULL,
    tag TEXT NOT NULL,
    site TEXT NOT NULL,
    campaign TEXT NOT NULL,
    peer TEXT NOT NULL,
    bytes_sent BIGINT NOT NULL,
    completed INTEGER NOT NULL,
    journey_id BIGINT NOT NULL);
CREATE INDEX downloads_journey ON downloads (journey_id);
CREATE TABLE journeys (
    id {id},
    journey_key TEXT NOT NULL UNIQUE,
    token TEXT NOT NULL,
    client_id TEXT NOT NULL,
    day INTEGER NOT NULL,
    site TEXT NOT NULL,
    campaign TEXT NOT NULL,
    language TEXT NOT NULL,
    version TEXT NOT NULL,
    steps INTEGER NOT NULL,
    first_seen BIGINT NOT NULL,
    from_download INTEGER NOT NULL);
CREATE INDEX journeys_client ON journeys (client_id);
CREATE TABLE dimension_ids (
    id {id},
    kind TEXT NOT NULL,
    value TEXT NOT NULL,
    UNIQUE (kind, value));
CREATE TABLE journey_facts (
    id {key},
    day INTEGER NOT NULL,
    site BIGINT NOT NULL,
    campaign BIGINT NOT NULL,
    language BIGINT NOT NULL,
    version BIGINT NOT NULL,
    steps INTEGER NOT NULL);
CREATE INDEX journey_facts_site ON journey_facts (site, day);
CREATE INDEX journey_facts_campaign ON journey_facts (campaign, day);
CREATE INDEX journey_facts_language ON journey_facts (language, day);
CREATE TABLE funnel_daily (
    kind TEXT NOT NULL,
    value TEXT NOT NULL,
    day INTEGER NOT NULL,
    journeys BIGINT NOT NULL,
    downloads BIGINT NOT NULL,
    first_screen BIGINT NOT NULL,
    sufficient BIGINT NOT NULL,
    insufficient BIGINT NOT NULL,
    licence BIGINT NOT NULL,
    started BIGINT NOT NULL,
    completed BIGINT NOT NULL,
    cancelled BIGINT NOT NULL,
    wv2_download BIGINT NOT NULL,
    wv2_close BIGINT NOT NULL,
    PRIMARY KEY (kind, value, day));
)"},
};

std::string ForDialect(std::string sql, SqlDb::Dialect dialect) {
    const bool sqlite = dialect == SqlDb::Dialect::Sqlite;
    const std::pair<std::string, std::string> words[] = {
        {"{id}", sqlite ? "INTEGER PRIMARY KEY" : "BIGSERIAL PRIMARY KEY"},
        {"{key}", sqlite ? "INTEGER PRIMARY KEY" : "BIGINT PRIMARY KEY"}};
    for (const auto& [word, text] : words)
        for (std::size_t at = sql.find(word); at != std::string::npos; at = sql.find(word, at))
            sql.replace(at, word.size(), text);
    return sql;
}

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Replicas starting together on one PostgreSQL server take turns here (the number names the
// lock); SQLite's write transaction already excludes other writers.
void TakeMigrationLock(SqlDb& db) {
    if (db.dialect() == SqlDb::Dialect::Postgres) db.query("SELECT pg_advisory_xact_lock(7254019)");
}

void CreateVersionTable(SqlDb& db) {
    SqlTransaction transaction(db);
    TakeMigrationLock(db);
    db.script(
        "CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, "
        "name TEXT NOT NULL, applied BIGINT NOT NULL)");
    transaction.commit();
}

// Applies `migration` unless another process did meanwhile.
void Apply(SqlDb& db, const Migration& migration) {
    SqlTransaction transaction(db);
    TakeMigrationLock(db);
    if (StoreSchemaVersion(db) >= migration.version) return;
    db.script(ForDialect(migration.sql, db.dialect()));
    db.query("INSERT INTO schema_migrations (version, name, applied) VALUES (?, ?, ?)",
             {std::int64_t{migration.version}, std::string(migration.name), NowMs()});
    transaction.commit();
}

}  // namespace

int LatestSchemaVersion() {
    return std::span(kMigrations).back().version;
}

int StoreSchemaVersion(SqlDb& db) {
    const auto rows = db.query("SELECT MAX(version) FROM schema_migrations");
    return rows.empty() ? 0 : static_cast<int>(SqlInt(rows[0][0]));
}

void MigrateStore(SqlDb& db) {
    CreateVersionTable(db);
    const int found = StoreSchemaVersion(db);
    if (found > LatestSchemaVersion())
        throw SqlError("the store has schema version " + std::to_string(found) +
                           "; this zbserve knows up to " + std::to_string(LatestSchemaVersion()),
                       /*retryable=*/false);
    for (const Migration& migration : kMigrations)
        if (migration.version > found) Apply(db, migration);
}
