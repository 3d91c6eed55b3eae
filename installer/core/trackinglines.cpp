#include "installer/core/trackinglines.h"

bool TrackingLineHasKey(std::string_view line, std::string_view key, std::string_view& value) {
    if (line.size() < key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != key[i]) return false;
    }
    value = line.substr(key.size());
    return true;
}
