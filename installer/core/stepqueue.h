#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

// A bounded queue of decoded steps between one producing and one consuming thread: a fixed
// ring of buffers that the producer fills and the consumer empties, each in order.
class StepQueue {
  public:
    // `steps` buffers of `stepSize` bytes. Throws std::bad_alloc.
    StepQueue(std::uint32_t stepSize, std::uint32_t steps);

    // Producer: the next empty buffer, waiting for one; nullptr once the consumer cancelled.
    std::uint8_t* slot();
    // Producer: the buffer from slot() holds `count` bytes.
    void push(std::uint32_t count);
    // Producer: no more steps; `ok` false when the producer failed.
    void close(bool ok);

    // Consumer: the next filled step, waiting for one; false when the producer closed and every
    // step was taken. The step stays valid until release().
    bool pop(std::span<const std::uint8_t>& step);
    // Consumer: the step from pop() was used; its buffer may be filled again.
    void release();
    // Consumer: what close() said; valid once pop() returned false.
    bool ok() const;
    // Consumer: no more steps are wanted; a waiting or later slot() returns nullptr.
    void cancel();

  private:
    std::uint32_t stepSize_;
    std::uint32_t steps_;
    std::unique_ptr<std::uint8_t[]> buffers_;
    std::unique_ptr<std::uint32_t[]> counts_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::uint32_t head_ = 0;  // the next step the consumer takes
    std::uint32_t filled_ = 0;
    bool closed_ = false;
    bool ok_ = false;
    bool cancelled_ = false;
};
