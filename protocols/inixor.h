#pragma once

#include <cstddef>
#include <cstdint>

// XORs every byte of `data` in place with the byte of `key` at the same position modulo
// `keyLength`; applying it twice with the same key gives the bytes back. Throws PAssert when
// the key is empty.
void IniXor(std::uint8_t* data, std::size_t length, const std::uint8_t* key, std::size_t keyLength);

// IniXor with the program's 45-byte tracking key. The key is not stored: it is made for the
// call from two stored strings and wiped afterwards.
void IniXorTracking(std::uint8_t* data, std::size_t length);

// The tracking key's length.
inline constexpr std::size_t kIniXorTrackingKeyLength = 45;
