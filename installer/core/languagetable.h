#pragma once

#include <cstdint>
#include <string_view>

#include "installer/core/messagekeys.h"

// Flag bits of a language record.
inline constexpr std::uint8_t kLanguageMayOffer = 0x04;        // the installer may offer it
inline constexpr std::uint8_t kLanguageStateMask = 0x38;       // a small value in bits 3 to 5...
inline constexpr std::uint8_t kLanguageWithdrawn = 0x08;       // ...of which 1 withdraws it
inline constexpr std::uint8_t kLanguageNonWestern = 0x40;      // informational only
inline constexpr std::uint8_t kLanguageNeedsEastAsian = 0x80;  // needs Windows' East Asian support

// One language the setup program knows. The index of a record is the language's identity: the
// installed client receives it as its language setting, so the order is an interface.
struct LanguageRecord {
    std::uint8_t fallback;         // index of the language whose texts stand in for missing ones
    std::string_view englishName;  // label of the analytics language event
    std::string_view code;         // locale code: message table, web addresses, system locale
    std::uint8_t sortKey;          // orders the language list (equal keys keep table order)
    std::uint8_t flags;            // kLanguage* bits
    MessageKey nameKey;            // the language's name text
};

inline constexpr int kLanguageCount = 34;
inline constexpr int kLanguageEnglish = 0;

// The kLanguageCount languages, then one end record (no name or code, sort key 28 above every
// real key, flags 0, fallback 0) so that a position equal to kLanguageCount sorts last.
extern const LanguageRecord kLanguageTable[kLanguageCount + 1];

// The index of the language whose code equals `code` exactly (letter case included), or -1.
int FindLanguageCode(std::string_view code);
