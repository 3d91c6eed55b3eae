#include <cstddef>
#include <cstdint>

#include "plib/encinifile.h"
#include "plib/perror.h"

// Any bytes either parse or throw PInternalError; a parsed document answers every lookup.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    EncIniFile ini;
    try {
        ini.readFromMemory(data, size);
    } catch (const PInternalError&) {
    }
    for (std::size_t i = 0; i < ini.sectionCount(); ++i) {
        const EncIniSection& section = ini.section(i);
        if (ini.findSection(section.name().c_str()) == nullptr) {
            __builtin_trap();
        }
        for (const EncIniItem& item : section.items()) {
            if (section.getValue(item.name.c_str()) == nullptr) {
                __builtin_trap();
            }
            section.getNumber(item.name.c_str(), 0);
        }
    }
    return 0;
}
