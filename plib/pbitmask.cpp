#include "plib/pbitmask.h"

#include <algorithm>
#include <cstring>

#include "plib/perror.h"
#include "plib/pstring.h"

namespace {

constexpr std::size_t kDigitsPerWord = 16;
constexpr std::size_t kMaxDigits = kDigitsPerWord * PBitmask::kWords;

int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

PBitmask PBitmask::fromDbString(const char* text) {
    if (!text || !*text) {
        throw PError("PBitmask::fromDbString null/empty input string");
    }
    // Bounded: only whether the text exceeds the limit matters, not how far.
    const std::size_t length = PString::boundedLength(text, kMaxDigits + 1);
    if (length > kMaxDigits) {
        PString message("PBitmask::fromDbString input string too long: ");
        message.appendDecimal(static_cast<std::uint64_t>(std::strlen(text)))
            .append(" > ")
            .appendDecimal(static_cast<std::uint32_t>(kMaxDigits));
        throw PError(message.c_str());
    }
    PBitmask result;
    for (std::size_t fromEnd = 0; fromEnd < length; ++fromEnd) {
        const int value = HexValue(text[length - 1 - fromEnd]);
        if (value < 0) {
            throw PError("PBitmask: invalid hex char");
        }
        result.words_[fromEnd / kDigitsPerWord] |= std::uint64_t(value)
                                                   << (4 * (fromEnd % kDigitsPerWord));
    }
    return result;
}

bool PBitmask::test(int bit) const noexcept {
    return bit >= 0 && bit < kBits && ((words_[bit / 64] >> (bit % 64)) & 1) != 0;
}

void PBitmask::set(int bit) noexcept {
    if (bit >= 0 && bit < kBits) {
        words_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
}

bool PBitmask::none() const noexcept {
    return std::all_of(words_.begin(), words_.end(), [](std::uint64_t w) { return w == 0; });
}

PBitmask& PBitmask::operator|=(const PBitmask& other) noexcept {
    for (int i = 0; i < kWords; ++i) {
        words_[i] |= other.words_[i];
    }
    return *this;
}

PBitmask& PBitmask::remove(const PBitmask& other) noexcept {
    for (int i = 0; i < kWords; ++i) {
        words_[i] &= ~other.words_[i];
    }
    return *this;
}

PBitmask& PBitmask::operator<<=(int n) {
    if (n < 0) {
        throw PError("PBitmask operator<<= invalid arg");
    }
    // At most 64 bits per step: a 64-bit word cannot be shifted by 64 or more in one go.
    for (n = std::min(n, kBits); n > 0;) {
        const int step = std::min(n, 64);
        for (int i = kWords - 1; i >= 0; --i) {
            const std::uint64_t below = i > 0 ? words_[i - 1] : 0;
            words_[i] = step == 64 ? below : (words_[i] << step) | (below >> (64 - step));
        }
        n -= step;
    }
    return *this;
}

bool PBitmask::intersects(const PBitmask& other) const noexcept {
    for (int i = 0; i < kWords; ++i) {
        if ((words_[i] & other.words_[i]) != 0) {
            return true;
        }
    }
    return false;
}
