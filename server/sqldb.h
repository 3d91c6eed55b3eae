#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A value of a statement parameter or a result column: null, a whole number or a text.
using SqlValue = std::variant<std::monostate, std::int64_t, std::string>;
using SqlRow = std::vector<SqlValue>;

// A failed statement or connection. `retryable`: a conflict with another writer (a busy
// SQLite file, a PostgreSQL deadlock or serialization failure) that a new try may not meet.
class SqlError : public std::runtime_error {
  public:
    SqlError(const std::string& message, bool retryable)
        : std::runtime_error(message), retryable_(retryable) {}
    bool retryable() const { return retryable_; }

  private:
    bool retryable_;
};

// One connection to the store's database, for one thread at a time. Statements take their
// values as parameters ("?" in the text), never inside the text; each text is prepared once
// per connection.
class SqlDb {
  public:
    enum class Dialect { Sqlite, Postgres };

    virtual ~SqlDb() = default;
    virtual Dialect dialect() const = 0;
    // Runs statements without parameters, separated by ";".
    virtual void script(std::string_view sql) = 0;
    virtual std::vector<SqlRow> query(std::string_view sql, std::span<const SqlValue> params) = 0;
    std::vector<SqlRow> query(std::string_view sql, std::initializer_list<SqlValue> params = {}) {
        return query(sql, std::span<const SqlValue>(params.begin(), params.size()));
    }
    // A transaction that writes: SQLite takes its write lock at once.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
};

// Rolls back unless committed.
class SqlTransaction {
  public:
    explicit SqlTransaction(SqlDb& db) : db_(db) { db_.begin(); }
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;
    ~SqlTransaction() {
        if (!done_) db_.rollback();
    }
    void commit() {
        db_.commit();
        done_ = true;
    }

  private:
    SqlDb& db_;
    bool done_ = false;
};

// The column as a number (0 for null) or a text ("" for null).
std::int64_t SqlInt(const SqlValue& value);
std::string SqlText(const SqlValue& value);

// How commits reach the disk in SQLite: Full syncs every commit, Normal leaves the sync to the
// next checkpoint (a commit survives a crash of the program, not of the machine).
enum class SqliteSync { Full, Normal };

// Opens (creating when missing) the SQLite file `path` in write-ahead-log mode.
std::unique_ptr<SqlDb> OpenSqlite(const std::string& path, SqliteSync sync);
// Connects to the PostgreSQL server `url` ("postgresql://...").
std::unique_ptr<SqlDb> OpenPostgres(const std::string& url);
