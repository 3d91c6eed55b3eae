#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// One message-table source: a name for the reports (its file) and its UTF-8 text.
struct MessageSource {
    std::string name;
    std::string_view text;
};

struct MessageCheckResult {
    std::vector<std::string> problems;                      // "NAME:LINE: what", in source order
    std::map<std::string, std::size_t, std::less<>> lines;  // text lines per language code
};

// Checks a set of message-table sources as one table; the English ("en") lines, in whichever
// source, are the reference of the others. A line is reported when
//   - a field or its text is missing, or the text is only blanks;
//   - its language code or its key is not in the program's tables;
//   - its flag is not 2 on a TXTINS_Lang_ key, 1 on the link text, 0 elsewhere;
//   - its language already had a line for the key;
//   - its text is not well-formed UTF-8, has a "%" the formatter would drop, or an <a> not
//     closed by </a> around some words;
// and, for a language other than English, when English has no text for the key, or the text's
// arguments (%0 to %9, or their lower-case forms %L0 to %L9), its link mark-up or its escaped
// line breaks (\n, \r) are not those of the English text.
MessageCheckResult CheckMessageSources(const std::vector<MessageSource>& sources);
