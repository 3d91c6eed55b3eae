#include "server/store.h"

#include <stdexcept>

#include "server/jsonlog.h"
#include "server/storeschema.h"

Store::Store(std::string location, std::string_view sync)
    : location_(std::move(location)),
      postgres_(location_.starts_with("postgresql://") || location_.starts_with("postgres://")) {
    if (sync == "normal")
        sync_ = SqliteSync::Normal;
    else if (sync != "full")
        throw std::invalid_argument("--sync wants full or normal, not \"" + std::string(sync) +
                                    "\"");
    MigrateStore(*connect());
    if (!postgres_)
        checkpointer_ = std::jthread([this](std::stop_token stop) { checkpoint(stop); });
}

namespace {

// Pages in the write-ahead log (4 KiB each) above which the checkpoint makes the log start over.
constexpr std::int64_t kRestartFrames = 16384;

}  // namespace

Store::~Store() {
    checkpointer_.request_stop();
}

void Store::checkpoint(std::stop_token stop) {
    const auto db = connect();
    std::unique_lock guard(lock_);
    for (;;) {
        wake_.wait_for(guard, stop, std::chrono::milliseconds(200), [] { return false; });
        if (stop.stop_requested()) return;
        try {
            // A passive checkpoint never waits for the writer, but under steady writes it never
            // reaches the log's end either, and SQLite starts the log afresh only after one
            // has: past kRestartFrames a restarting checkpoint waits for the writer's commit
            // (a few milliseconds, the log being mostly copied by then) and the log starts over.
            const auto frames = db->query("PRAGMA wal_checkpoint(PASSIVE)");
            if (!frames.empty() && SqlInt(frames[0].at(1)) > kRestartFrames)
                db->query("PRAGMA wal_checkpoint(RESTART)");
        } catch (const SqlError& error) {
            LogEvent("checkpoint_failed").text("error", error.what());
        }
    }
}

std::unique_ptr<SqlDb> Store::connect() const {
    return postgres_ ? OpenPostgres(location_) : OpenSqlite(location_, sync_);
}

std::string Store::describe() const {
    if (postgres_) return "PostgreSQL (commits as the server's synchronous_commit says)";
    return "SQLite " + location_ +
           " (WAL, synchronous=" + (sync_ == SqliteSync::Full ? "FULL" : "NORMAL") + ")";
}

SqlPool::Lease::~Lease() {
    if (!db_) return;
    std::lock_guard guard(pool_.lock_);
    pool_.idle_.push_back(std::move(db_));
}

SqlPool::Lease SqlPool::lease() {
    {
        std::lock_guard guard(lock_);
        if (!idle_.empty()) {
            auto db = std::move(idle_.back());
            idle_.pop_back();
            return Lease(*this, std::move(db));
        }
    }
    return Lease(*this, store_.connect());
}
