#pragma once

#include <cstdint>
#include <string_view>

// One line of message-table text, split into its fields. The views point into the line.
struct MessageLine {
    std::string_view language;
    std::string_view key;
    std::uint32_t flag = 0;  // the leading decimal digits of the flag field (0 if none)
    std::string_view text;   // everything after the one blank that follows the flag
};

enum class MessageLineKind {
    kIgnored,  // a comment, or nothing but blanks
    kText,     // a text line; the fields are set
    kError,    // a field or the text is missing ("unexpected EOL")
};

// Splits `line` (without its terminator). Blanks are spaces and tabs; fields one to three are
// separated by one or more blanks; exactly one blank separates the flag from the text, which
// must not be empty.
MessageLineKind ParseMessageLine(std::string_view line, MessageLine& out);

// Removes the first line of message-table source `source` (UTF-8 text whose lines end in LF or
// CR LF) and returns it without its terminator.
std::string_view TakeSourceLine(std::string_view& source);

// Resolves the escapes backslash-n (line feed) and backslash-r (carriage return) in `text`,
// in place; every other byte, a lone backslash included, stays.
void ResolveMessageEscapes(std::string& text);
