#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "server/ingest.h"
#include "server/store.h"

// Writes hits and downloads to the store from one thread. Whatever arrives while a commit runs
// goes into the next transaction together, so that many clients share each sync to disk and a
// hit is still answered only once it is stored.
class StoreWriter {
  public:
    // Told once per item, on the writer's thread: whether it was committed. It must not block.
    using Done = std::function<void(bool stored)>;

    // `maxQueued`: items waiting at most; more are refused at once.
    StoreWriter(const Store& store, std::size_t maxQueued);
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;
    // Stores what is queued, then ends.
    ~StoreWriter();

    // Queues `item`; false (and `done` is never called) when the queue is full.
    bool add(StoreItem item, Done done);

  private:
    struct Pending {
        StoreItem item;
        Done done;
    };

    void run();
    bool commit(const std::vector<StoreItem>& items);

    const Store& store_;
    const std::size_t maxQueued_;
    std::unique_ptr<SqlDb> db_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Pending> queue_;
    bool stopping_ = false;
    bool idle_ = false;  // the writer waits for items
    std::thread thread_;
};
