#pragma once

#include <string_view>

// The lines of tracking text: separated by LF, a CR before the LF belonging to the line end,
// empty lines skipped; each "KEY=value", keys matched by prefix without regard to ASCII letter
// case.

// Calls `visit(line)` for every non-empty line of `text`.
template <class Visit>
void ForEachTrackingLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        if (!line.empty()) visit(line);
    }
}

// Whether `line` starts with `key` (upper case, ending in "="), ASCII letters of the line in
// any case; then `value` is the rest of the line.
bool TrackingLineHasKey(std::string_view line, std::string_view key, std::string_view& value);
