#include "tools/core/messagecompiler.h"

#include "installer/core/i18nlinereader.h"
#include "installer/core/languagetable.h"
#include "installer/core/littleendian.h"
#include "installer/core/messagekeys.h"
#include "installer/core/messageline.h"
#include "installer/core/messagetable.h"
#include "installer/core/programtext.h"
#include "plib/perror.h"
#include "tools/core/lzmapacker.h"

namespace {

std::string JoinFields(const MessageLine& fields, std::string_view text) {
    std::string line(fields.language);
    line += ' ';
    line += fields.key;
    line += ' ';
    line += std::to_string(fields.flag);
    line += ' ';
    line += text;
    return line;
}

}  // namespace

void AppendMessageTableSource(std::string& table, std::string_view source,
                              std::vector<std::string>& warnings) {
    std::size_t lineNumber = 0;
    while (!source.empty()) {
        ++lineNumber;
        MessageLine fields;
        const MessageLineKind kind = ParseMessageLine(TakeSourceLine(source), fields);
        if (kind == MessageLineKind::kError) {
            throw PParserError(("line " + std::to_string(lineNumber) + ": unexpected EOL").c_str());
        }
        if (kind == MessageLineKind::kIgnored) continue;
        if (FindLanguageCode(fields.language) < 0 || !FindMessageKey(fields.key)) {
            warnings.push_back("line " + std::to_string(lineNumber) + ": unknown language or key");
        }
        table += JoinFields(fields, Utf8ToProgramText(fields.text));
        table += "\r\n";
    }
}

std::vector<std::uint8_t> PackMessageTable(std::string_view table) {
    LzmaPacker packer;
    packer.add(reinterpret_cast<const std::uint8_t*>(table.data()), table.size());
    const std::vector<std::uint8_t> block = packer.finish();
    std::vector<std::uint8_t> resource;
    AppendU32Le(resource, static_cast<std::uint32_t>(table.size()));
    AppendU32Le(resource, static_cast<std::uint32_t>(block.size()));
    resource.insert(resource.end(), block.begin(), block.end());
    return resource;
}

std::vector<std::uint8_t> CompileMessageTable(std::string_view source,
                                              std::vector<std::string>& warnings) {
    std::string table(kMessageTableBanner);
    AppendMessageTableSource(table, source, warnings);
    return PackMessageTable(table);
}

std::string DumpMessageTable(const std::uint8_t* resource, std::uint32_t size) {
    std::vector<std::uint8_t> text;
    std::string error;
    if (!DecodeMessageTableResource(resource, size, text, error)) throw PParserError(error.c_str());

    std::string dump;
    I18nLineReader reader(text.data(), text.size());
    std::string line;
    while (reader.next(line)) {
        MessageLine fields;
        if (ParseMessageLine(line, fields) == MessageLineKind::kText) {
            dump += JoinFields(fields, ProgramTextToUtf8(fields.text));
        } else {
            dump += line;
        }
        dump += '\n';
    }
    return dump;
}
