// Feeds arbitrary bytes to the message-table loader, both as table text and as the compressed
// resource, then looks texts up with arguments so that the formatting runs over what loaded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/core/languagetable.h"
#include "installer/core/messagetable.h"

namespace {

// Lookups are most of a run's time, so they are few: the corners (no such language, English,
// key 0) and a language and key the input picks from its last and first bytes.
void LookUpSome(const MessageTable& table, std::uint8_t keySeed, std::uint8_t languageSeed) {
    const PString plain("Zembrico \xC9");
    const PString marked("\x10\xD0\x96");
    const int picked = languageSeed % (kLanguageCount + 2) - 1;
    for (int language : {-1, 0, picked}) {
        for (std::uint32_t key : {0u, keySeed * 1u}) {
            PString out;
            table.lookup(out, key, language, plain, marked);
            table.lookup(out, key, language);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MessageTable table;
    I18nLineReader reader(data, size);
    std::string error;
    if (size == 0) return 0;
    if (i18nLoadDynamicTable(table, reader, error) >= 0) LookUpSome(table, data[0], data[size - 1]);

    MessageTable fromResource;
    if (LoadMessageTableResource(data, static_cast<std::uint32_t>(size), fromResource, error)) {
        LookUpSome(fromResource, data[0], data[size - 1]);
    }
    return 0;
}
