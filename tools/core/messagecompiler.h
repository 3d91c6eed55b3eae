#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The comment lines every compiled message table starts with.
inline constexpr std::string_view kMessageTableBanner =
    "# THIS IS A GENERATED FILE! DO NOT EDIT!\r\n# Creator: zbmsgc\r\n";

// Appends the text lines of `source` (UTF-8 text in the table's own line format) to the table
// text `table`: each with its fields joined by single blanks and its text in the program's
// string encoding (Windows-1252 when every character fits, else marked UTF-8), each ending in
// CR LF; the source's comments and empty lines are left out. Lines for unknown languages or
// keys are kept (the program skips them) and reported in `warnings`. Throws PParserError
// "line N: unexpected EOL" for a malformed line (N counting every line of `source` from 1) and
// PI18NError for malformed UTF-8.
void AppendMessageTableSource(std::string& table, std::string_view source,
                              std::vector<std::string>& warnings);

// The message-table resource of the table text `table`: u32 unpacked size, u32 packed size,
// then the raw LZMA1 block of the text.
std::vector<std::uint8_t> PackMessageTable(std::string_view table);

// Compiles one source into the message-table resource: kMessageTableBanner and the source's
// text lines (AppendMessageTableSource), packed (PackMessageTable).
std::vector<std::uint8_t> CompileMessageTable(std::string_view source,
                                              std::vector<std::string>& warnings);

// The decoded text of a message-table resource with every text line's text turned back into
// UTF-8, lines ending in LF. Throws PParserError when the resource does not decode.
std::string DumpMessageTable(const std::uint8_t* resource, std::uint32_t size);
