#include "protocols/inixor.h"

#include <array>

#include "plib/perror.h"

namespace {

// The tracking key is kStoredKey XOR-ed with kKeyMask, so that neither string alone shows it.
constexpr std::array<std::uint8_t, kIniXorTrackingKeyLength> kStoredKey = {
    0x55, 0x82, 0xFE, 0x7C, 0x1C, 0xFA, 0xC3, 0x34, 0x80, 0x0F, 0x8A, 0x87, 0x11, 0x63, 0xD1,
    0x39, 0xC9, 0xC8, 0x39, 0x18, 0xA3, 0x8F, 0x19, 0xB0, 0xB5, 0x8D, 0x59, 0xB3, 0x10, 0x56,
    0x81, 0xB0, 0x84, 0xF9, 0xAB, 0x97, 0x19, 0x85, 0x6A, 0x85, 0xBC, 0x89, 0xF4, 0x7E, 0x6F,
};
constexpr std::array<std::uint8_t, 30> kKeyMask = {
    0x66, 0x0C, 0xFF, 0x3A, 0x4D, 0x8F, 0xD4, 0x7F, 0xAB, 0x54, 0x94, 0x48, 0x38, 0x0E, 0xB5,
    0x3C, 0x31, 0xD5, 0xDA, 0x79, 0xED, 0xA4, 0xA7, 0x02, 0xF5, 0xA7, 0x01, 0xFF, 0x3D, 0xB7,
};

// Zeroes `bytes` in a way the compiler may not drop as a dead store.
template <std::size_t N>
void Wipe(std::array<std::uint8_t, N>& bytes) {
    volatile std::uint8_t* p = bytes.data();
    for (std::size_t i = 0; i < N; ++i) {
        p[i] = 0;
    }
}

}  // namespace

void IniXor(std::uint8_t* data, std::size_t length, const std::uint8_t* key,
            std::size_t keyLength) {
    if (keyLength == 0) {
        // The line number is part of the message that earlier builds gave; keep it stable.
        throw PAssert("keyLength > 0", "protocols/inixor", 262);
    }
    for (std::size_t i = 0; i < length; ++i) {
        data[i] ^= key[i % keyLength];
    }
}

void IniXorTracking(std::uint8_t* data, std::size_t length) {
    std::array<std::uint8_t, kIniXorTrackingKeyLength> key = kStoredKey;
    std::array<std::uint8_t, kKeyMask.size()> mask = kKeyMask;
    IniXor(key.data(), key.size(), mask.data(), mask.size());
    Wipe(mask);
    IniXor(data, length, key.data(), key.size());
    Wipe(key);
}
