#include "installer/core/stepqueue.h"

StepQueue::StepQueue(std::uint32_t stepSize, std::uint32_t steps)
    : stepSize_(stepSize),
      steps_(steps),
      buffers_(new std::uint8_t[std::size_t{stepSize} * steps]),
      counts_(new std::uint32_t[steps]) {}

std::uint8_t* StepQueue::slot() {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return cancelled_ || filled_ < steps_; });
    if (cancelled_) return nullptr;
    return buffers_.get() + std::size_t{(head_ + filled_) % steps_} * stepSize_;
}

void StepQueue::push(std::uint32_t count) {
    {
        std::lock_guard lock(lock_);
        counts_[(head_ + filled_) % steps_] = count;
        ++filled_;
    }
    changed_.notify_all();
}

void StepQueue::close(bool ok) {
    {
        std::lock_guard lock(lock_);
        closed_ = true;
        ok_ = ok;
    }
    changed_.notify_all();
}

bool StepQueue::pop(std::span<const std::uint8_t>& step) {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return filled_ != 0 || closed_; });
    if (filled_ == 0) return false;
    step = {buffers_.get() + std::size_t{head_} * stepSize_, counts_[head_]};
    return true;
}

void StepQueue::release() {
    {
        std::lock_guard lock(lock_);
        head_ = (head_ + 1) % steps_;
        --filled_;
    }
    changed_.notify_all();
}

bool StepQueue::ok() const {
    std::lock_guard lock(lock_);
    return ok_;
}

void StepQueue::cancel() {
    {
        std::lock_guard lock(lock_);
        cancelled_ = true;
    }
    changed_.notify_all();
}
