#include "server/storewriter.h"

#include <vector>

#include "server/jsonlog.h"

namespace {

// Items per transaction at most: a long transaction holds the answers of its first items.
constexpr std::size_t kMaxBatch = 2000;
// Tries of a batch that met another writer (a PostgreSQL deadlock between replicas).
constexpr int kTries = 5;

}  // namespace

StoreWriter::StoreWriter(const Store& store, std::size_t maxQueued)
    : store_(store), maxQueued_(maxQueued), thread_([this] { run(); }) {}

StoreWriter::~StoreWriter() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

bool StoreWriter::add(StoreItem item, Done done) {
    bool wake = false;
    {
        std::lock_guard guard(lock_);
        if (queue_.size() >= maxQueued_) return false;
        queue_.push_back(Pending{std::move(item), std::move(done)});
        // A writer that is committing looks at the queue again when it is done.
        wake = idle_;
    }
    if (wake) wake_.notify_one();
    return true;
}

void StoreWriter::run() {
    for (;;) {
        std::vector<StoreItem> items;
        std::vector<Done> dones;
        {
            std::unique_lock guard(lock_);
            idle_ = true;
            wake_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
            idle_ = false;
            if (queue_.empty()) return;
            while (!queue_.empty() && items.size() < kMaxBatch) {
                items.push_back(std::move(queue_.front().item));
                dones.push_back(std::move(queue_.front().done));
                queue_.pop_front();
            }
        }
        const bool stored = commit(items);
        for (Done& done : dones)
            if (done) done(stored);
    }
}

bool StoreWriter::commit(const std::vector<StoreItem>& items) {
    for (int attempt = 1;; ++attempt) {
        try {
            if (!db_) db_ = store_.connect();
            StoreItems(*db_, items);
            return true;
        } catch (const SqlError& error) {
            LogEvent("store_failed")
                .text("error", error.what())
                .number("items", static_cast<std::int64_t>(items.size()))
                .number("attempt", attempt);
            // A connection that failed may be broken (a restarted server): the next try opens
            // another.
            db_.reset();
            if (!error.retryable() || attempt == kTries) return false;
        }
    }
}
