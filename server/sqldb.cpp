#include "server/sqldb.h"

std::int64_t SqlInt(const SqlValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) return std::stoll(*text);
    return 0;
}

std::string SqlText(const SqlValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
    return {};
}
