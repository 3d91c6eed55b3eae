#pragma once

#include <cstdint>

// Reads little-endian fields from a loaded resource, never past its end.
class ResourceCursor {
  public:
    // `data` holds `size` bytes (it may be null when `size` is 0) and must outlive the cursor.
    ResourceCursor(const std::uint8_t* data, std::uint32_t size) : data_(data), size_(size) {}

    // Reads a u32. Throws PAssert (file "installer/ZembricoInstall/InstallerThread", line 376)
    // when fewer than 4 bytes are left.
    std::uint32_t readU32();

    // Returns the next `length` bytes and moves past them. Throws PAssert (same file, line 383)
    // when fewer than `length` bytes are left.
    const std::uint8_t* readBlock(std::uint32_t length);

    std::uint32_t remaining() const { return size_ - position_; }

  private:
    const std::uint8_t* data_;
    std::uint32_t size_;
    std::uint32_t position_ = 0;
};
