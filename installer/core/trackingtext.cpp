#include "installer/core/trackingtext.h"

#include "installer/core/earlylogqueue.h"
#include "installer/core/trackinglines.h"
#include "plib/pbase64.h"
#include "plib/perror.h"

std::string SiteFromTrackingData(const std::optional<std::string>& data) {
    std::string site;
    bool found = false;
    if (data) {
        ForEachTrackingLine(*data, [&](std::string_view line) {
            std::string_view value;
            if (!found && TrackingLineHasKey(line, "SITEID=", value)) {
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
    ForEachTrackingLine(*data, [&](std::string_view line) {
        std::string_view value;
        if (TrackingLineHasKey(line, "ITS=", value) || TrackingLineHasKey(line, "IZ=", value))
            return;
        if (TrackingLineHasKey(line, "OID=", value)) {
            if (!value.empty()) params.oid = value;
            return;
        }
        if (TrackingLineHasKey(line, "ONAME=", value)) {
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
        if (TrackingLineHasKey(line, "THM=", value) && !value.empty()) params.thmValue = value;
        if (TrackingLineHasKey(line, "GID=", value) && !value.empty())
            gid = value.substr(0, value.find('|'));
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
