#pragma once

#include <array>
#include <cstdint>

// A set of 256 bits in four 64-bit words: bit k is bit k % 64 of word k / 64.
class PBitmask {
  public:
    static constexpr int kBits = 256;
    static constexpr int kWords = 4;

    PBitmask() noexcept = default;

    // The set written as hexadecimal text, read from its end in groups of 16 digits: the last 16
    // give word 0, the 16 before them word 1, and so on; a shorter group at the front gives the
    // next word. Digits 0-9, A-F, a-f. Throws PError "PBitmask::fromDbString null/empty input
    // string", "PBitmask::fromDbString input string too long: <n> > 64" or
    // "PBitmask: invalid hex char".
    static PBitmask fromDbString(const char* text);

    std::uint64_t word(int index) const noexcept { return words_[index]; }
    // Bits outside 0..255 read as clear and are ignored when set.
    bool test(int bit) const noexcept;
    void set(int bit) noexcept;
    bool none() const noexcept;

    // Union.
    PBitmask& operator|=(const PBitmask& other) noexcept;
    // Removes the bits of `other` (AND with its complement).
    PBitmask& remove(const PBitmask& other) noexcept;
    // Shifts every bit `n` places up; bits above 255 fall out. Throws PError
    // "PBitmask operator<<= invalid arg" for a negative `n`.
    PBitmask& operator<<=(int n);
    // Whether the two sets share at least one bit.
    bool intersects(const PBitmask& other) const noexcept;

    bool operator==(const PBitmask& other) const noexcept = default;

  private:
    std::array<std::uint64_t, kWords> words_{};
};
