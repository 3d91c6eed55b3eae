// Download codes as the server receives them: any text after "code=". A code that parses is
// the one spelling of its text and hash; checking one never fails but by refusing, and what it
// accepts carries its key's hash and values the installer accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "crypto/hmacsha256.h"
#include "installer/core/downloadcode.h"
#include "installer/core/trackingvalues.h"
#include "server/downloadkeys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string kKey = "fuzzing key, thirty-two bytes at least";
    static const DownloadKeys kKeys({kKey});
    const std::string code(reinterpret_cast<const char*>(data), size);
    std::string why;
    if (const auto parsed = ParseDownloadCode(code, why)) {
        if (FormatDownloadCode(parsed->text, parsed->hash) != code) std::abort();
    } else if (why.empty()) {
        std::abort();
    }
    const CodeVerdict verdict = kKeys.check(code);
    if (verdict.text.has_value() != verdict.why.empty()) std::abort();
    if (verdict.text && (HmacSha256(kKey, *verdict.text) != ParseDownloadCode(code, why)->hash ||
                         !CheckTrackingData(*verdict.text)))
        std::abort();
    // The same text, signed: only the installer's checks can refuse it now.
    if (const auto parsed = ParseDownloadCode(code, why)) {
        const CodeVerdict signedVerdict =
            kKeys.check(FormatDownloadCode(parsed->text, HmacSha256(kKey, parsed->text)));
        if (!signedVerdict.text && !signedVerdict.why.starts_with("refused code")) std::abort();
    }
    return 0;
}
