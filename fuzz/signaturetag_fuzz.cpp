// Feeds arbitrary bytes as the signature of a signed PE file (the first byte picks the file's
// form) to the tagger and to the reader of signed digests: each refuses or works, and a tag
// written into the signature ends it and the file, and comes out again.
#include <cstddef>
#include <cstdint>

#include "installer/core/samplesignature.h"
#include "taggingchecks.h"
#include "tools/core/authenticode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t form = data[0];
    const tagging::Bytes signature(data + 1, data + size);
    const tagging::Bytes file =
        sample::Pe(form & 1, sample::Entry(signature, form >> 1 & 7), form & 0x10);
    try {
        SignedImageDigests(std::span(file).subspan(sample::kImageEnd));
    } catch (const PInternalError&) {
    }
    tagging::CheckTagging(file, "SITEID=DK\n");
    return 0;
}
