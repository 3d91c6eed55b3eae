#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Threads for work that blocks (store queries, page rendering), so that the network threads
// never wait. Jobs run in the order posted; the destructor runs the jobs already posted, then
// joins.
class WorkPool {
  public:
    explicit WorkPool(unsigned threads);
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;
    ~WorkPool();

    void post(std::function<void()> job);

  private:
    void work();

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
