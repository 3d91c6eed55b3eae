#pragma once

#include <cstddef>
#include <cstdint>

// An owned byte block on the C heap: data, size in use, capacity. A default or moved-from block
// has no buffer (data() is null, size and capacity 0). Every allocation failure throws
// PSystemMemoryError naming the operation and the size asked for; the block is then unchanged.
class PBlock {
  public:
    PBlock() noexcept = default;
    // Exactly `other`'s size, with its bytes.
    PBlock(const PBlock& other);
    PBlock(PBlock&& other) noexcept;
    // Copies `other` through alloc(), so the buffer is reused under the same rule.
    PBlock& operator=(const PBlock& other);
    PBlock& operator=(PBlock&& other) noexcept;
    ~PBlock();

    std::uint8_t* data() noexcept { return data_; }
    const std::uint8_t* data() const noexcept { return data_; }
    std::uint32_t size() const noexcept { return size_; }
    std::uint32_t capacity() const noexcept { return capacity_; }
    bool empty() const noexcept { return size_ == 0; }

    // Size becomes `n`; the contents are undefined afterwards. n == 0 frees everything. The buffer
    // is replaced by one of exactly `n` bytes when it is smaller than `n`, or when it is above 64
    // bytes and `n` is below half of it; otherwise it is reused.
    void alloc(std::uint32_t n);
    // Frees, then allocates exactly n + extra bytes; size n, capacity n + extra.
    void alloc(std::uint32_t n, std::uint32_t extra);
    // Adds `n` bytes at the end and returns their address (contents undefined). When the buffer is
    // too small it is reallocated, keeping the contents, to twice the new size when the new size is
    // above 32, else to 64 bytes.
    std::uint8_t* grow(std::uint32_t n);
    // Appends `n` bytes copied from `bytes` (which may lie inside this block).
    void append(const void* bytes, std::uint32_t n);
    // Reallocates to exactly `n` bytes when the capacity is below `n`; size and contents kept.
    void reserve(std::uint32_t n);
    // Sets the size to `n`, which must not exceed the capacity (PAssert otherwise); keeps the
    // buffer.
    void setSize(std::uint32_t n);
    // Frees the buffer.
    void clear() noexcept;

  private:
    friend class PString;
    // Reallocates to exactly `capacity` bytes keeping the contents; `what` names the caller in the
    // memory error.
    void reallocTo(std::uint32_t capacity, const char* what);

    std::uint8_t* data_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;
};
