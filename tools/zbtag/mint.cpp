#include "tools/zbtag/mint.h"

#include <string_view>

#include "crypto/hmacsha256.h"
#include "installer/core/downloadcode.h"
#include "plib/perror.h"

namespace {

std::string_view AsText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

std::string MintDownloadCode(const std::vector<std::uint8_t>& keyFile,
                             const std::vector<std::uint8_t>& text) {
    const std::string key = ReadDownloadKeys(AsText(keyFile)).front();
    if (text.empty() || text.size() > kMaxDownloadCodeText) {
        throw PInternalError(
            ("a code carries a text of 1 to " + std::to_string(kMaxDownloadCodeText) + " bytes")
                .c_str());
    }
    return FormatDownloadCode(AsText(text), HmacSha256(key, AsText(text)));
}
