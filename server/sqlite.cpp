#include <sqlite3.h>

#include <map>

#include "server/sqldb.h"

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using UniqueSqlite = std::unique_ptr<sqlite3, CloseDb>;
using UniqueStatement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

bool IsBusy(int code) {
    return (code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED;
}

class SqliteDb : public SqlDb {
  public:
    SqliteDb(const std::string& path, SqliteSync sync) {
        sqlite3* raw = nullptr;
        const int code = sqlite3_open_v2(
            path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
            nullptr);
        db_.reset(raw);
        if (code != SQLITE_OK) fail("cannot open " + path, code);
        sqlite3_busy_timeout(raw, 10000);
        script("PRAGMA journal_mode=WAL");
        // The store's own thread checkpoints (Store); a connection that did would stop its
        // writes for it.
        script("PRAGMA wal_autocheckpoint=0");
        // Pages kept in memory, up to 128 MiB as they are read: a view with several filters
        // reads the narrow journey rows again and again (a tenth of a gigabyte at 10 million
        // hits), and the writer's journey lookups and index pages stay at hand.
        script("PRAGMA cache_size=-131072");
        // After a checkpoint that starts the log over, the log file keeps at most this much.
        script("PRAGMA journal_size_limit=67108864");
        script(sync == SqliteSync::Full ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
    }

    Dialect dialect() const override { return Dialect::Sqlite; }

    void script(std::string_view sql) override {
        char* message = nullptr;
        const int code =
            sqlite3_exec(db_.get(), std::string(sql).c_str(), nullptr, nullptr, &message);
        if (code != SQLITE_OK) {
            const std::string text = message ? message : sqlite3_errstr(code);
            sqlite3_free(message);
            throw SqlError("SQLite: " + text, IsBusy(code));
        }
    }

    using SqlDb::query;
    std::vector<SqlRow> query(std::string_view sql, std::span<const SqlValue> params) override {
        sqlite3_stmt* statement = prepared(sql);
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        int index = 1;
        for (const SqlValue& value : params) bind(statement, index++, value);
        std::vector<SqlRow> rows;
        for (;;) {
            const int code = sqlite3_step(statement);
            if (code == SQLITE_DONE) break;
            if (code != SQLITE_ROW) {
                sqlite3_reset(statement);
                fail("statement failed", code);
            }
            rows.push_back(row(statement));
        }
        sqlite3_reset(statement);
        return rows;
    }

    void begin() override { script("BEGIN IMMEDIATE"); }
    void commit() override { script("COMMIT"); }
    void rollback() noexcept override {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }

  private:
    [[noreturn]] void fail(const std::string& what, int code) {
        throw SqlError("SQLite: " + what + ": " + (db_ ? sqlite3_errmsg(db_.get()) : "") + " (" +
                           sqlite3_errstr(code) + ")",
                       IsBusy(code));
    }

    sqlite3_stmt* prepared(std::string_view sql) {
        auto found = statements_.find(sql);
        if (found != statements_.end()) return found->second.get();
        sqlite3_stmt* raw = nullptr;
        const int code = sqlite3_prepare_v3(db_.get(), sql.data(), static_cast<int>(sql.size()),
                                            SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
        if (code != SQLITE_OK) fail("cannot prepare " + std::string(sql), code);
        return statements_.emplace(std::string(sql), UniqueStatement(raw)).first->second.get();
    }

    void bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
        int code = SQLITE_OK;
        if (const auto* number = std::get_if<std::int64_t>(&value))
            code = sqlite3_bind_int64(statement, index, *number);
        else if (const auto* text = std::get_if<std::string>(&value))
            code = sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()),
                                     SQLITE_STATIC);
        else
            code = sqlite3_bind_null(statement, index);
        if (code != SQLITE_OK) fail("cannot bind a parameter", code);
    }

    static SqlRow row(sqlite3_stmt* statement) {
        SqlRow row;
        const int columns = sqlite3_column_count(statement);
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(statement, i)) {
                case SQLITE_NULL:
                    row.emplace_back(std::monostate());
                    break;
                case SQLITE_INTEGER:
                    row.emplace_back(sqlite3_column_int64(statement, i));
                    break;
                default: {
                    const auto* text = sqlite3_column_text(statement, i);
                    row.emplace_back(std::string(reinterpret_cast<const char*>(text),
                                                 sqlite3_column_bytes(statement, i)));
                }
            }
        }
        return row;
    }

    UniqueSqlite db_;
    std::map<std::string, UniqueStatement, std::less<>> statements_;
};

}  // namespace

std::unique_ptr<SqlDb> OpenSqlite(const std::string& path, SqliteSync sync) {
    return std::make_unique<SqliteDb>(path, sync);
}
