// Feeds arbitrary bytes as an installer file to the trailer reader, and what it reads to the
// site lookup and the stored tracking text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "installer/core/installparameters.h"
#include "installer/core/trackingtext.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"
#include "tools/core/trackingtag.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool StartsWithKey(std::string_view line, std::string_view key) {
    if (line.size() < key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = line[i] >= 'a' && line[i] <= 'z' ? static_cast<char>(line[i] - 32) : line[i];
        if (c != key[i]) return false;
    }
    return true;
}

// The stored text: the header, then non-empty lines each ending in LF, none of the dropped
// keys, and one OID line at most, the last, carrying the resulting oid.
void CheckStoredText(const InstallParameters& params) {
    std::string_view text = params.trackingText;
    Check(text.starts_with("[TInfo]\n") && text.ends_with('\n'));
    text.remove_prefix(8);
    bool oidSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        Check(!line.empty() && !oidSeen);
        Check(!StartsWithKey(line, "ITS=") && !StartsWithKey(line, "IZ=") &&
              !StartsWithKey(line, "ONAME="));
        if (StartsWithKey(line, "OID=")) {
            Check(text.empty() && line.substr(4) == params.oid);
            oidSeen = true;
        }
    }
    Check(oidSeen == !params.oid.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string> text = ReadTrackingTrailer(std::span(data, size));
    if (text) Check(text->size() <= kTrackingMaxDistance && text->find('\0') == std::string::npos);

    Check(SiteFromTrackingData(text).find('\n') == std::string::npos);
    InstallParameters params;
    const std::string gid = ApplyTrackingData(text, params);
    Check(gid.find('|') == std::string::npos);
    if (text) {
        CheckStoredText(params);
        // What the reader gives back, the tagger writes so that the reader gives it back again.
        try {
            const std::vector<std::uint8_t> trailer = MakeTrackingTrailer(*text);
            Check(ReadTrackingTrailer(std::span(trailer)) == text);
        } catch (const PInternalError&) {
            Check(text->size() > kTrackingMaxDistance - kTrackingFooterSize);
        }
    } else {
        Check(params.trackingText.empty());
    }
    return 0;
}
