#pragma once

#include <cstdint>
#include <vector>

// Little-endian fields of the resources (payload archive, message table) and of PE files.

inline std::uint32_t LoadU32Le(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint32_t LoadU16Le(const std::uint8_t* p) {
    return p[0] | p[1] << 8;
}

inline void StoreU32Le(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void AppendU16Le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendU32Le(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendU16Le(out, value & 0xFFFF);
    AppendU16Le(out, value >> 16);
}
