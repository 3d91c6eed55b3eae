#include "installer/core/messageline.h"

#include <string>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Moves `pos` past blanks.
void SkipBlanks(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
}

// Reads the field at `pos`, which must end in a blank (left unconsumed); false at end of line.
bool ReadField(std::string_view line, std::size_t& pos, std::string_view& field) {
    const std::size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    if (pos == line.size()) return false;
    field = line.substr(start, pos - start);
    return true;
}

}  // namespace

MessageLineKind ParseMessageLine(std::string_view line, MessageLine& out) {
    std::size_t pos = 0;
    SkipBlanks(line, pos);
    if (pos == line.size() || line[pos] == '#') return MessageLineKind::kIgnored;
    std::string_view flag;
    if (!ReadField(line, pos, out.language)) return MessageLineKind::kError;
    SkipBlanks(line, pos);
    if (!ReadField(line, pos, out.key)) return MessageLineKind::kError;
    SkipBlanks(line, pos);
    if (!ReadField(line, pos, flag)) return MessageLineKind::kError;
    ++pos;  // the one blank before the text
    if (pos == line.size()) return MessageLineKind::kError;
    out.flag = 0;
    for (char c : flag) {
        if (c < '0' || c > '9') break;
        out.flag = out.flag * 10 + static_cast<std::uint32_t>(c - '0');
    }
    out.text = line.substr(pos);
    return MessageLineKind::kText;
}

std::string_view TakeSourceLine(std::string_view& source) {
    const std::size_t end = source.find('\n');
    std::string_view line = source.substr(0, end);
    source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

void ResolveMessageEscapes(std::string& text) {
    std::size_t to = 0;
    for (std::size_t from = 0; from < text.size(); ++from, ++to) {
        char c = text[from];
        if (c == '\\' && from + 1 < text.size() &&
            (text[from + 1] == 'n' || text[from + 1] == 'r')) {
            c = text[++from] == 'n' ? '\n' : '\r';
        }
        text[to] = c;
    }
    text.resize(to);
}
