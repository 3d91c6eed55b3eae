#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "installer/core/downloadcode.h"

// What a download code gives: the tag text to serve, or why the download is served untagged.
struct CodeVerdict {
    std::optional<std::string> text;
    std::string why;  // "" when `text` is set
};

// The operator's keys, shared with the web front that mints the codes (downloadcode.h).
class DownloadKeys {
  public:
    // Keys as ReadDownloadKeys gives them.
    explicit DownloadKeys(std::vector<std::string> keys);
    // The keys of the key file at `path`; throws std::runtime_error naming the file.
    static DownloadKeys FromFile(const std::string& path);

    // The tag text of `code` when its hash is one key's hash of its text (compared in constant
    // time) and each of its values passes the installer's own checks (CheckTrackingData), so
    // that the setup program uses every line it is given. Otherwise no text, and why: no code,
    // a malformed one, a forged one (no key made it), or a refused value.
    CodeVerdict check(std::string_view code) const;

  private:
    std::vector<std::string> keys_;
};
