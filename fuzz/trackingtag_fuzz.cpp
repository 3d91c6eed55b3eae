// Feeds arbitrary bytes as a file to the tagger: it refuses, leaving the file as it was, or tags
// it changing nothing outside the certificate table's last entry, and the tag is read back,
// replaced and removed.
#include <cstddef>
#include <cstdint>

#include "taggingchecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tagging::Bytes original(data, data + size);
    tagging::Bytes file = original;
    try {
        if (!ClearTrackingTag(file)) tagging::Check(file == original);
    } catch (const PInternalError&) {
        tagging::Check(file == original);
    }
    tagging::CheckTagging(original, "SITEID=BE_ZB_EXT\nGID=1|2\n");
    return 0;
}
