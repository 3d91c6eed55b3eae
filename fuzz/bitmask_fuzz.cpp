// PBitmask::fromDbString on arbitrary text: either a set that prints back to the same digits,
// or one of its errors.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plib/pbitmask.h"
#include "plib/perror.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    PBitmask mask;
    try {
        mask = PBitmask::fromDbString(text.c_str());
    } catch (const PError&) {
        return 0;
    }
    // Success means every digit was hexadecimal and there were at most 64 of them; each digit
    // stands in its nibble.
    const std::string digits = text.substr(0, text.find('\0'));
    if (digits.empty() || digits.size() > 64) {
        std::abort();
    }
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int nibble = static_cast<int>(digits.size() - 1 - i);
        int value = 0;
        for (int b = 0; b < 4; ++b) {
            value |= mask.test(nibble * 4 + b) ? 1 << b : 0;
        }
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(digits[i])));
        if (value != std::stoi(std::string(1, c), nullptr, 16)) {
            std::abort();
        }
    }
    PBitmask shifted = mask;
    shifted <<= static_cast<int>(size % 300);
    shifted.remove(mask);
    shifted |= mask;
    if (!shifted.intersects(mask) && !mask.none()) {
        std::abort();
    }
    return 0;
}
