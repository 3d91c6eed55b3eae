#include "installer/core/messagetable.h"

#include <cstdio>
#include <memory>

#include "installer/core/languagetable.h"
#include "installer/core/littleendian.h"
#include "installer/core/lzmaunpacker.h"
#include "installer/core/messageformat.h"
#include "installer/core/messageline.h"

namespace {

bool IsLanguage(int language) {
    return language >= 0 && language < kLanguageCount;
}

// How many fallback steps a lookup takes before it tries English.
constexpr int kMaxFallbackSteps = 4;

}  // namespace

const MessageTable::Cell* MessageTable::cell(int language, std::uint32_t key) const {
    if (!loaded() || !IsLanguage(language) || key >= kMessageKeyCount) return nullptr;
    const std::vector<std::optional<Cell>>& row = cells_[static_cast<std::size_t>(language)];
    if (row.empty()) return nullptr;
    const std::optional<Cell>& cell = row[key];
    return cell ? &*cell : nullptr;
}

void MessageTable::lookup(PString& out, std::uint32_t key, int language) const {
    lookup(out, key, language, nullptr, 0);
}

void MessageTable::lookup(PString& out, std::uint32_t key, int language,
                          const PString& arg0) const {
    const PString* args[] = {&arg0};
    lookup(out, key, language, args, 1);
}

void MessageTable::lookup(PString& out, std::uint32_t key, int language, const PString& arg0,
                          const PString& arg1) const {
    const PString* args[] = {&arg0, &arg1};
    lookup(out, key, language, args, 2);
}

void MessageTable::lookup(PString& out, std::uint32_t key, int language, const PString* const* args,
                          int argCount) const {
    if (!loaded() || key == TXTINS_EMPTY_STUB || key >= kMessageKeyCount) return;
    const Cell* found = nullptr;
    if (IsLanguage(language)) {
        int current = language;
        found = cell(current, key);
        for (int step = 0; !found && step < kMaxFallbackSteps; ++step) {
            const int fallback = kLanguageTable[current].fallback;
            if (fallback == current) break;
            current = fallback;
            found = cell(current, key);
        }
    }
    if (!found) found = cell(kLanguageEnglish, key);
    if (found) {
        FormatMessageText(out, found->text, args, argCount);
        return;
    }
    char placeholder[256];
    int length = std::snprintf(placeholder, sizeof placeholder, "LC_%d_MSG_%u ", language, key);
    for (int j = 0; j < argCount; ++j) {
        length += std::snprintf(placeholder + length, sizeof placeholder - length, "%%%d ", j);
    }
    FormatMessageText(out, placeholder, args, argCount);
}

MessageTable& TheMessageTable() {
    static MessageTable table;
    return table;
}

int i18nLoadDynamicTable(MessageTable& table, I18nLineReader& reader, std::string& error) {
    // A language's row is made when its first text arrives: tables hold few of the languages.
    std::vector<std::vector<std::optional<MessageTable::Cell>>> cells(kLanguageCount);
    std::string line;
    int lineNumber = 0;
    while (reader.next(line)) {
        ++lineNumber;
        MessageLine fields;
        const MessageLineKind kind = ParseMessageLine(line, fields);
        if (kind == MessageLineKind::kError) {
            error = "unexpected EOL on line " + std::to_string(lineNumber);
            return -1;
        }
        if (kind == MessageLineKind::kIgnored) continue;
        const int language = FindLanguageCode(fields.language);
        const std::optional<MessageKey> key = FindMessageKey(fields.key);
        if (language < 0 || !key) continue;
        std::string text(fields.text);
        ResolveMessageEscapes(text);
        auto& row = cells[static_cast<std::size_t>(language)];
        if (row.empty()) row.resize(kMessageKeyCount);
        row[*key] = MessageTable::Cell{std::move(text), fields.flag};
    }
    table.cells_ = std::move(cells);
    return lineNumber;
}

bool DecodeMessageTableResource(const std::uint8_t* resource, std::uint32_t size,
                                std::vector<std::uint8_t>& text, std::string& error) {
    if (size < 8 || size - 8 < LoadU32Le(resource + 4)) {
        error = "message table: resource shorter than its header says";
        return false;
    }
    const std::uint32_t unpackedSize = LoadU32Le(resource);
    if (unpackedSize > kMaxMessageTableSize) {
        error = "message table: unpacked size too large";
        return false;
    }
    text.clear();
    LzmaUnpacker unpacker;
    unpacker.setInput(resource + 8, LoadU32Le(resource + 4));
    unpacker.setSink(std::make_unique<VectorUnpackSink>(text, unpackedSize));
    if (unpacker.run() != 0) {
        error = "message table: the resource does not decode";
        return false;
    }
    return true;
}

bool LoadMessageTableResource(const std::uint8_t* resource, std::uint32_t size, MessageTable& table,
                              std::string& error) {
    std::vector<std::uint8_t> text;
    if (!DecodeMessageTableResource(resource, size, text, error)) return false;
    I18nLineReader reader(text.data(), text.size());
    std::string reason;
    if (i18nLoadDynamicTable(table, reader, reason) < 0) {
        error = "i18nLoadDynamicTable aborted: " + reason;
        return false;
    }
    return true;
}
