#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/core/i18nlinereader.h"
#include "installer/core/messagekeys.h"
#include "plib/pstring.h"

// The texts of every language, by language index (languagetable.h) and key id.
class MessageTable {
  public:
    struct Cell {
        std::string text;  // escapes resolved; a first byte 0x10 marks UTF-8
        std::uint32_t flag;
    };

    bool loaded() const { return !cells_.empty(); }

    // The text of `key` in `language` itself (no fallback), or null.
    const Cell* cell(int language, std::uint32_t key) const;

    // Appends the text of `key` in `language` to `out`, with %0 to %9 taken from `args`. A
    // missing text falls back along the languages' fallbacks (at most four steps), then to
    // English; when there is none, "LC_<language>_MSG_<key> " and "%<j> " per argument stand
    // in. A language index out of range (-1 included) reads English. Nothing is appended for
    // key 0, for keys out of range, or while no table is loaded.
    void lookup(PString& out, std::uint32_t key, int language) const;
    void lookup(PString& out, std::uint32_t key, int language, const PString& arg0) const;
    void lookup(PString& out, std::uint32_t key, int language, const PString& arg0,
                const PString& arg1) const;

    // Forgets every text.
    void release() { cells_.clear(); }

  private:
    void lookup(PString& out, std::uint32_t key, int language, const PString* const* args,
                int argCount) const;

    friend int i18nLoadDynamicTable(MessageTable& table, I18nLineReader& reader,
                                    std::string& error);
    // By language, then key; a language without texts has an empty row.
    std::vector<std::vector<std::optional<Cell>>> cells_;
};

// The process-wide table: loaded once by start-up, read-only afterwards (lookups from any
// thread need no lock then), released at process end.
MessageTable& TheMessageTable();

// Parses message-table text from `reader` into `table`. Returns the number of lines read
// (comments included, empty lines not); on success the new texts replace the table's. On a
// malformed line returns -1, leaves `table` as it was and sets `error` to "unexpected EOL on
// line N" (N counts the lines read, from 1). Lines for unknown languages or keys are skipped; a
// later line for the same language and key replaces the earlier text.
int i18nLoadDynamicTable(MessageTable& table, I18nLineReader& reader, std::string& error);

// Decompressed message tables larger than this are refused (the shipped one is 336 KB).
inline constexpr std::uint32_t kMaxMessageTableSize = 16u << 20;

// Decodes the message-table resource `resource[0, size)` (u32 unpacked size, u32 packed size,
// then that many bytes of raw LZMA1 block) into `text`. False, with the reason in `error`, when
// the header or block runs past the resource, the size is above kMaxMessageTableSize, or the
// block does not decode to its full size.
bool DecodeMessageTableResource(const std::uint8_t* resource, std::uint32_t size,
                                std::vector<std::uint8_t>& text, std::string& error);

// Decodes the message-table resource and parses it into `table`. False, with the reason in
// `error` and `table` unchanged, when it does not decode or the text does not parse.
bool LoadMessageTableResource(const std::uint8_t* resource, std::uint32_t size, MessageTable& table,
                              std::string& error);
