#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// A bounded walk of DER (the distinguished encoding of ASN.1) over bytes that may be hostile:
// only the single-byte tags and definite, shortest-form lengths that DER allows are accepted,
// and no element reaches past the range it is read from.

inline constexpr std::uint8_t kDerInteger = 0x02;
inline constexpr std::uint8_t kDerOctetString = 0x04;
inline constexpr std::uint8_t kDerOid = 0x06;
inline constexpr std::uint8_t kDerSequence = 0x30;
inline constexpr std::uint8_t kDerSet = 0x31;
inline constexpr std::uint8_t kDerContext0 = 0xA0;  // [0], constructed
inline constexpr std::uint8_t kDerContext1 = 0xA1;  // [1], constructed

struct DerElement {
    std::uint8_t tag = 0;
    std::uint32_t offset = 0;  // where its header starts
    std::uint32_t header = 0;  // tag and length bytes
    std::uint32_t length = 0;  // content bytes

    std::uint32_t content() const noexcept { return offset + header; }
    std::uint32_t end() const noexcept { return offset + header + length; }
};

// The element whose header starts at `at`, when it is DER and ends at or before `limit`
// (at most the size of `bytes`).
std::optional<DerElement> ReadDerElement(std::span<const std::uint8_t> bytes, std::uint32_t at,
                                         std::uint32_t limit) noexcept;

// The elements that fill `parent`'s content, in order; nothing when they do not fill it
// exactly.
std::optional<std::vector<DerElement>> DerChildren(std::span<const std::uint8_t> bytes,
                                                   const DerElement& parent);

// The DER header of an element with `tag` and `length` content bytes.
std::vector<std::uint8_t> DerHeader(std::uint8_t tag, std::uint32_t length);

// Whether `element` holds exactly `content` (an OID's encoded arcs, say).
bool DerContentIs(std::span<const std::uint8_t> bytes, const DerElement& element,
                  std::span<const std::uint8_t> content) noexcept;
