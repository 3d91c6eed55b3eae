#include "server/dates.h"

#include <charconv>
#include <chrono>
#include <cstdio>

using namespace std::chrono;

std::string DayText(std::int64_t day) {
    const year_month_day date{sys_days{days{day}}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::optional<std::int64_t> ParseDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    int parts[3] = {};
    const std::string_view fields[3] = {text.substr(0, 4), text.substr(5, 2), text.substr(8, 2)};
    for (int i = 0; i < 3; ++i) {
        if (fields[i].find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        const auto [end, error] =
            std::from_chars(fields[i].data(), fields[i].data() + fields[i].size(), parts[i]);
        if (error != std::errc() || end != fields[i].data() + fields[i].size()) return std::nullopt;
    }
    const year_month_day date{year{parts[0]}, month{static_cast<unsigned>(parts[1])},
                              day{static_cast<unsigned>(parts[2])}};
    if (!date.ok()) return std::nullopt;
    return sys_days{date}.time_since_epoch().count();
}

std::int64_t Today() {
    return floor<days>(system_clock::now()).time_since_epoch().count();
}
