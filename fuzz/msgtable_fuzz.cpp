// Feeds arbitrary bytes to the message-table loader, both as table text and as the compressed
// resource, then looks texts up with arguments so that the formatting runs over what loaded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/core/languagetable.h"
#include "installer/core/messagetable.h"

namespace {

void LookUpSome(const MessageTable& table, std::uint8_t seed) {
    const PString plain("Zembrico \xC9");
    const PString marked("\x10\xD0\x96");
    for (int language : {-1, 0, 1, 28, 31, kLanguageCount}) {
        for (std::uint32_t key : {0u, 1u, 11u, 91u, 147u, 148u, seed * 1u}) {
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
    if (i18nLoadDynamicTable(table, reader, error) >= 0) LookUpSome(table, size ? data[0] : 0);

    MessageTable fromResource;
    if (LoadMessageTableResource(data, static_cast<std::uint32_t>(size), fromResource, error)) {
        LookUpSome(fromResource, 0);
    }
    return 0;
}
