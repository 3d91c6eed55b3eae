#include "server/workpool.h"

#include "server/jsonlog.h"

WorkPool::WorkPool(unsigned threads) {
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

WorkPool::~WorkPool() {
    {
        std::lock_guard lock(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void WorkPool::post(std::function<void()> job) {
    {
        std::lock_guard lock(lock_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void WorkPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(lock_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            job();
        } catch (const std::exception& error) {
            LogEvent("job_failed").text("error", error.what());
        }
    }
}
