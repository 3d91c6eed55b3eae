#include "installer/core/trackingtext.h"

#include "installer/core/earlylogqueue.h"
#include "plib/pbase64.h"
#include "plib/perror.h"

namespace {

// Calls `visit(line)` for every non-empty line of `text`.
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        if (!line.empty()) visit(line);
    }
}

// Whether `line` starts with `key` (ASCII letters in any case); then `value` is the rest.
bool HasKey(std::string_view line, std::string_view key, std::string_view& value) {
    if (line.size() < key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != key[i]) return false;
    }
    value = line.substr(key.size());
    return true;
}

}  // namespace

std::string SiteFromTrackingData(const std::optional<std::string>& data) {
    std::string site;
    bool found = false;
    if (data) {
        ForEachLine(*data, [&](std::string_view line) {
            std::string_view value;
            if (!found && HasKey(line, "SITEID=", value)) {
                site = value;
                found = true;
            }
        });
    }
    return site;
}

std::string ApplyTrackingData(const std::optional<std::string>& data, InstallParameters& params) {
    params.trackingText.clear();
    std::string gid;
    if (!data) return gid;

    std::string text = "[TInfo]\n";
    ForEachLine(*data, [&](std::string_view line) {
        std::string_view value;
        if (HasKey(line, "ITS=", value) || HasKey(line, "IZ=", value)) return;
        if (HasKey(line, "OID=", value)) {
            if (!value.empty()) params.oid = value;
            return;
        }
        if (HasKey(line, "ONAME=", value)) {
            if (value.empty()) return;
            try {
                PString oname;
                PBase64DecodeUtf8(oname, value.data(), value.size());
                params.oname = oname.view();
            } catch (const PError& e) {
                EarlyLog("ONAME of the tracking data ignored: %s", e.why());
            }
            return;
        }
        if (HasKey(line, "THM=", value) && !value.empty()) params.thmValue = value;
        if (HasKey(line, "GID=", value) && !value.empty()) gid = value.substr(0, value.find('|'));
        text.append(line).append("\n");
    });
    if (!params.oid.empty()) text.append("OID=").append(params.oid).append("\n");
    params.trackingText = std::move(text);
    return gid;
}

std::string BuildWebLink(std::string_view urlTemplate, std::string_view pageName,
                         std::string_view siteAddress, std::string_view languageCode) {
    constexpr std::string_view kMarker = "@locale@";
    std::string link;
    if (!urlTemplate.empty()) {
        const std::size_t at = urlTemplate.find(kMarker);
        if (at == std::string_view::npos) return std::string(urlTemplate);
        link.append(urlTemplate.substr(0, at)).append(languageCode);
        link.append(urlTemplate.substr(at + kMarker.size()));
    } else if (!pageName.empty()) {
        link.append(siteAddress).append("/REDIRECTOR/").append(languageCode).append("/_/");
        link.append(pageName);
    }
    return link;
}
