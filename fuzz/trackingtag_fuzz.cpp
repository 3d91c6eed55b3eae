// Feeds arbitrary bytes as a file to the tagger: it refuses or tags, and a tag it writes is read
// back and removed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "installer/core/trackingtag.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> original(data, data + size);
    std::vector<std::uint8_t> file = original;
    try {
        if (!ClearTrackingTag(file)) Check(file == original);
    } catch (const PInternalError&) {
        Check(file == original);
    }

    const std::string text = "SITEID=BE_ZB_EXT\nGID=1|2\n";
    file = original;
    try {
        WriteTrackingTag(file, text);
    } catch (const PInternalError&) {
        Check(file == original);
        return 0;
    }
    Check(ReadTrackingTrailer(std::span(file)) == text);
    const PeLayout layout = ReadPeLayout(file);
    if (layout.signedFile()) Check(layout.tableOffset + layout.tableSize == file.size());
    Check(ClearTrackingTag(file));
    return 0;
}
