#include "tools/core/messagechecker.h"

#include <optional>
#include <set>

#include "installer/core/languagetable.h"
#include "installer/core/messagekeys.h"
#include "installer/core/messageline.h"
#include "installer/core/programtext.h"
#include "plib/perror.h"

namespace {

constexpr std::string_view kEnglish = "en";

// Where a line is, for the reports: "NAME:LINE".
std::string Place(const MessageSource& source, std::size_t lineNumber) {
    return source.name + ":" + std::to_string(lineNumber);
}

std::uint32_t ExpectedFlag(std::string_view key) {
    if (key.starts_with("TXTINS_Lang_")) return 2;
    return key == "TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL" ? 1 : 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The arguments a text refers to, as "%0" to "%9" ("%L1" and "%l1", argument 1 in lower case,
// count as "%1": a translation may lower-case a name that English capitalises), or nothing when
// the text has a "%" that is neither a placeholder nor "%%" (the formatter drops it).
std::optional<std::set<std::string>> Placeholders(std::string_view text) {
    std::set<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
        } else if (i + 1 < text.size() && IsDigit(text[i + 1])) {
            found.insert(std::string{'%', text[++i]});
        } else if (i + 2 < text.size() && (text[i + 1] == 'L' || text[i + 1] == 'l') &&
                   IsDigit(text[i + 2])) {
            found.insert(std::string{'%', text[i + 2]});
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return found;
}

// The link tags of a text in order, "<a>" as 'o' and "</a>" as 'c'.
std::string LinkTags(std::string_view text) {
    std::string tags;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i).starts_with("<a>")) tags += 'o';
        if (text.substr(i).starts_with("</a>")) tags += 'c';
    }
    return tags;
}

// True when every "<a>" is closed by "</a>" with something other than blanks between.
bool LinksWellFormed(std::string_view text) {
    constexpr std::size_t kOutside = std::string_view::npos;
    std::size_t wordsStart = kOutside;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i).starts_with("<a>")) {
            if (wordsStart != kOutside) return false;
            wordsStart = i + 3;
        } else if (text.substr(i).starts_with("</a>")) {
            if (wordsStart == kOutside) return false;
            const std::string_view words = text.substr(wordsStart, i - wordsStart);
            if (words.find_first_not_of(" \t") == std::string_view::npos) return false;
            wordsStart = kOutside;
        }
    }
    return wordsStart == kOutside;
}

// The numbers of escaped line feeds and carriage returns, as "\n" and "\r" counts.
std::pair<int, int> EscapedBreaks(std::string_view text) {
    std::pair<int, int> counts;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '\\') continue;
        if (text[i + 1] == 'n') ++counts.first;
        if (text[i + 1] == 'r') ++counts.second;
        if (text[i + 1] == 'n' || text[i + 1] == 'r') ++i;
    }
    return counts;
}

struct Line {
    const MessageSource* source;
    std::size_t number;
    MessageLine fields;
};

// The text lines of every source; a malformed line is reported and left out.
std::vector<Line> ReadLines(const std::vector<MessageSource>& sources,
                            std::vector<std::string>& problems) {
    std::vector<Line> lines;
    for (const MessageSource& source : sources) {
        std::string_view rest = source.text;
        std::size_t number = 0;
        while (!rest.empty()) {
            ++number;
            Line line{&source, number, {}};
            const MessageLineKind kind = ParseMessageLine(TakeSourceLine(rest), line.fields);
            if (kind == MessageLineKind::kError) {
                problems.push_back(Place(source, number) + ": a field or the text is missing");
            } else if (kind == MessageLineKind::kText) {
                lines.push_back(line);
            }
        }
    }
    return lines;
}

// The problems of one line on its own.
void CheckAlone(const MessageLine& line, std::vector<std::string>& found) {
    if (FindLanguageCode(line.language) < 0) {
        found.push_back("unknown language code '" + std::string(line.language) + "'");
    }
    if (!FindMessageKey(line.key)) {
        found.push_back("unknown key " + std::string(line.key));
    } else if (line.flag != ExpectedFlag(line.key)) {
        found.push_back("flag " + std::to_string(line.flag) + ", expected " +
                        std::to_string(ExpectedFlag(line.key)));
    }
    if (line.text.find_first_not_of(" \t") == std::string_view::npos) {
        found.push_back("empty text");
    }
    try {
        Utf8ToProgramText(line.text);
    } catch (const PError&) {
        found.push_back("malformed UTF-8");
    }
    if (!Placeholders(line.text)) found.push_back("a '%' that is not a placeholder (%% for '%')");
    if (!LinksWellFormed(line.text)) found.push_back("<a> not closed by </a> around some words");
}

// The problems of a translated line against the English text of its key.
void CheckAgainstEnglish(const MessageLine& line, std::string_view english,
                         std::vector<std::string>& found) {
    const auto placeholders = Placeholders(line.text);
    const auto englishPlaceholders = Placeholders(english);
    if (placeholders && englishPlaceholders && placeholders != englishPlaceholders) {
        std::string expected;
        for (const std::string& p : *englishPlaceholders) expected += " " + p;
        found.push_back("placeholders differ from English (expected:" +
                        (expected.empty() ? std::string(" none") : expected) + ")");
    }
    if (LinkTags(line.text) != LinkTags(english)) {
        found.push_back("link mark-up differs from English");
    }
    const auto breaks = EscapedBreaks(line.text);
    const auto englishBreaks = EscapedBreaks(english);
    if (breaks != englishBreaks) {
        found.push_back("escaped line breaks differ from English (expected " +
                        std::to_string(englishBreaks.first) + " \\n, " +
                        std::to_string(englishBreaks.second) + " \\r)");
    }
}

}  // namespace

MessageCheckResult CheckMessageSources(const std::vector<MessageSource>& sources) {
    MessageCheckResult result;
    const std::vector<Line> lines = ReadLines(sources, result.problems);

    std::map<std::string_view, std::string_view> english;  // key -> first English text
    for (const Line& line : lines) {
        if (line.fields.language == kEnglish) english.emplace(line.fields.key, line.fields.text);
    }

    std::map<std::pair<std::string_view, std::string_view>, const Line*> seen;
    for (const Line& line : lines) {
        const MessageLine& fields = line.fields;
        ++result.lines[std::string(fields.language)];
        std::vector<std::string> found;
        CheckAlone(fields, found);
        const auto [first, isNew] = seen.emplace(std::pair(fields.language, fields.key), &line);
        if (!isNew) {
            found.push_back("second line for " + std::string(fields.key) + " (first: " +
                            Place(*first->second->source, first->second->number) + ")");
        }
        if (fields.language != kEnglish && FindMessageKey(fields.key)) {
            const auto reference = english.find(fields.key);
            if (reference == english.end()) {
                found.push_back("no English text for " + std::string(fields.key));
            } else {
                CheckAgainstEnglish(fields, reference->second, found);
            }
        }
        for (const std::string& what : found) {
            result.problems.push_back(Place(*line.source, line.number) + ": " + what);
        }
    }
    return result;
}
