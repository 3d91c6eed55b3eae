#pragma once

#include <optional>
#include <string>
#include <string_view>

// One analytics hit as the setup program sends it: a form body made by plain concatenation,
// "v=1&tid=...&cid=...&an=...&av=...&t=...", then "&cd=" for a screen view or "&ec=", "&ea="
// and optionally "&el=" and "&ev=" for an event, then "&cd13=" and optionally "&cd12=".
// Nothing in it is escaped, so a value may hold spaces, commas, parentheses, "%", "+" and
// bytes above 127 as they are.
struct HitFields {
    std::string account;     // tid; empty when the build has no second account id
    std::string clientId;    // cid; empty when the machine's id could not be read
    std::string appName;     // an: the site's name
    std::string appVersion;  // av
    std::string type;        // t: "screenview" or "event"
    std::string screen;      // cd
    std::string category;    // ec
    std::string action;      // ea
    std::string label;       // el
    std::string value;       // ev
    std::string groupId;     // cd12: the tag's GID up to its first "|"
};

// The most bytes a hit body may have; a real one has a few hundred.
inline constexpr std::size_t kMaxHitBody = 4096;

// Reads `body`. A field starts at "&" followed by one of the hit's keys and "="; any other "&"
// belongs to the value before it. The values are kept as sent, except that a value which is
// not UTF-8 is read as Windows-1252 (the setup program's narrow texts) and stored as UTF-8.
// Returns nothing, with `why` set, for a body that is no hit: not version 1, an unknown hit
// type, a screen view without a screen or an event without category and action, a key given
// twice, a zero byte, or more than kMaxHitBody bytes.
std::optional<HitFields> ParseHitBody(std::string_view body, std::string& why);
