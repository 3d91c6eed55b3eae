#include "plib/pblock.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "plib/perror.h"

namespace {

constexpr std::uint32_t kMinimumGrowth = 64;

std::uint8_t* Allocate(std::uint64_t n, const char* what) {
    if (n > std::numeric_limits<std::uint32_t>::max()) {
        throw PSystemMemoryError(what, n);
    }
    auto* p = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(n)));
    if (!p) {
        throw PSystemMemoryError(what, n);
    }
    return p;
}

}  // namespace

PBlock::PBlock(const PBlock& other) {
    if (other.size_ != 0) {
        data_ = Allocate(other.size_, "_PBlock::_PBlock( other ), number of bytes requested");
        std::memcpy(data_, other.data_, other.size_);
        size_ = capacity_ = other.size_;
    }
}

PBlock::PBlock(PBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

PBlock& PBlock::operator=(const PBlock& other) {
    if (this != &other) {
        alloc(other.size_);
        if (size_ != 0) {
            std::memcpy(data_, other.data_, size_);
        }
    }
    return *this;
}

PBlock& PBlock::operator=(PBlock&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

PBlock::~PBlock() {
    std::free(data_);
}

void PBlock::alloc(std::uint32_t n) {
    if (n == 0) {
        clear();
        return;
    }
    if (capacity_ < n || (capacity_ > 64 && std::uint64_t{n} * 2 < capacity_)) {
        // The old contents are not kept, so a fresh buffer costs no copy; allocating before
        // freeing leaves the block intact when the allocation fails.
        std::uint8_t* fresh = Allocate(n, "_PBlock::_alloc, number of bytes requested");
        std::free(data_);
        data_ = fresh;
        capacity_ = n;
    }
    size_ = n;
}

void PBlock::alloc(std::uint32_t n, std::uint32_t extra) {
    std::uint8_t* fresh =
        Allocate(std::uint64_t{n} + extra, "_PBlock::alloc(2), number of bytes requested");
    std::free(data_);
    data_ = fresh;
    size_ = n;
    capacity_ = n + extra;
}

std::uint8_t* PBlock::grow(std::uint32_t n) {
    const std::uint64_t newSize = std::uint64_t{size_} + n;
    if (newSize > capacity_) {
        std::uint64_t target = newSize > 32 ? newSize * 2 : kMinimumGrowth;
        // Near the 32-bit limit doubling no longer fits; the exact size still may.
        if (target > std::numeric_limits<std::uint32_t>::max()) {
            target = newSize;
        }
        if (target > std::numeric_limits<std::uint32_t>::max()) {
            throw PSystemMemoryError("_PBlock::_realloc, number of bytes requested", target);
        }
        reallocTo(static_cast<std::uint32_t>(target),
                  "_PBlock::_realloc, number of bytes requested");
    }
    std::uint8_t* room = data_ + size_;
    size_ = static_cast<std::uint32_t>(newSize);
    return room;
}

void PBlock::append(const void* bytes, std::uint32_t n) {
    if (n == 0) {
        return;
    }
    // `bytes` may lie inside this block, which grow() may move.
    const auto* source = static_cast<const std::uint8_t*>(bytes);
    const bool inside = data_ && source >= data_ && source < data_ + capacity_;
    const std::size_t offset = inside ? static_cast<std::size_t>(source - data_) : 0;
    std::uint8_t* room = grow(n);
    std::memmove(room, inside ? data_ + offset : source, n);
}

void PBlock::reserve(std::uint32_t n) {
    if (capacity_ < n) {
        reallocTo(n, "_PBlock::alloc, number of bytes requested");
    }
}

void PBlock::setSize(std::uint32_t n) {
    PASSERT(n <= capacity_);
    size_ = n;
}

void PBlock::clear() noexcept {
    std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
}

void PBlock::reallocTo(std::uint32_t capacity, const char* what) {
    auto* p = static_cast<std::uint8_t*>(std::realloc(data_, capacity));
    if (!p) {
        throw PSystemMemoryError(what, capacity);
    }
    data_ = p;
    capacity_ = capacity;
}
