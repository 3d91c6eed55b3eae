#include <libpq-fe.h>

#include <cstring>
#include <map>

#include "server/sqldb.h"

namespace {

struct FinishConnection {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
struct ClearResult {
    void operator()(PGresult* result) const { PQclear(result); }
};
using UniqueConnection = std::unique_ptr<PGconn, FinishConnection>;
using UniqueResult = std::unique_ptr<PGresult, ClearResult>;

// Type numbers of PostgreSQL's whole-number columns (int8, int2, int4).
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23;

// "?" parameters become "$1", "$2", ...: the statements of this program hold no "?" of their own.
std::string Numbered(std::string_view sql) {
    std::string out;
    int index = 0;
    for (char c : sql) {
        if (c == '?')
            out += "$" + std::to_string(++index);
        else
            out += c;
    }
    return out;
}

// A conflict with another writer: a serialization failure, a deadlock, or a key another
// replica inserted first (a journey both saw missing); a new try reads what the other wrote.
bool IsRetryable(const PGresult* result) {
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    return state && (std::strcmp(state, "40001") == 0 || std::strcmp(state, "40P01") == 0 ||
                     std::strcmp(state, "23505") == 0);
}

class PostgresDb : public SqlDb {
  public:
    explicit PostgresDb(const std::string& url) : connection_(PQconnectdb(url.c_str())) {
        if (!connection_ || PQstatus(connection_.get()) != CONNECTION_OK)
            throw SqlError("PostgreSQL: cannot connect: " + error(), /*retryable=*/false);
        script("SET client_min_messages = warning");
    }

    Dialect dialect() const override { return Dialect::Postgres; }

    void script(std::string_view sql) override {
        check(UniqueResult(PQexec(connection_.get(), std::string(sql).c_str())));
    }

    using SqlDb::query;
    std::vector<SqlRow> query(std::string_view sql, std::span<const SqlValue> params) override {
        const std::string& name = prepared(sql);
        std::vector<std::string> texts;
        std::vector<const char*> values;
        texts.reserve(params.size());
        for (const SqlValue& value : params) {
            if (std::holds_alternative<std::monostate>(value)) {
                texts.emplace_back();
                values.push_back(nullptr);
                continue;
            }
            texts.push_back(SqlText(value));
            values.push_back(texts.back().c_str());
        }
        UniqueResult result(PQexecPrepared(connection_.get(), name.c_str(),
                                           static_cast<int>(values.size()), values.data(), nullptr,
                                           nullptr, /*resultFormat=*/0));
        check(result);
        return rows(result.get());
    }

    void begin() override { script("BEGIN"); }
    void commit() override { script("COMMIT"); }
    void rollback() noexcept override { PQclear(PQexec(connection_.get(), "ROLLBACK")); }

  private:
    std::string error() const {
        return connection_ ? PQerrorMessage(connection_.get()) : "out of memory";
    }

    void check(const UniqueResult& result) {
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
        throw SqlError(
            "PostgreSQL: " + (result ? std::string(PQresultErrorMessage(result.get())) : error()),
            result && IsRetryable(result.get()));
    }

    const std::string& prepared(std::string_view sql) {
        auto found = names_.find(sql);
        if (found != names_.end()) return found->second;
        std::string name = "s" + std::to_string(names_.size() + 1);
        check(UniqueResult(
            PQprepare(connection_.get(), name.c_str(), Numbered(sql).c_str(), 0, nullptr)));
        return names_.emplace(std::string(sql), std::move(name)).first->second;
    }

    static std::vector<SqlRow> rows(const PGresult* result) {
        std::vector<SqlRow> rows;
        const int columns = PQnfields(result);
        for (int r = 0; r < PQntuples(result); ++r) {
            SqlRow& row = rows.emplace_back();
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result, r, c)) {
                    row.emplace_back(std::monostate());
                    continue;
                }
                const Oid type = PQftype(result, c);
                const char* text = PQgetvalue(result, r, c);
                if (type == kInt8 || type == kInt2 || type == kInt4)
                    row.emplace_back(static_cast<std::int64_t>(std::stoll(text)));
                else
                    row.emplace_back(std::string(text, PQgetlength(result, r, c)));
            }
        }
        return rows;
    }

    UniqueConnection connection_;
    std::map<std::string, std::string, std::less<>> names_;
};

}  // namespace

std::unique_ptr<SqlDb> OpenPostgres(const std::string& url) {
    return std::make_unique<PostgresDb>(url);
}
