#include "installer/core/analyticspayload.h"

#include <algorithm>

std::string ClientIdFromMachineGuid(std::string_view machineGuid) {
    std::string id(machineGuid);
    id.erase(std::remove(id.begin(), id.end(), '-'), id.end());
    return id;
}

std::string AnalyticsAppName(std::string_view appNameBase) {
    std::string name(appNameBase);
    if (name.find('.') == std::string::npos) name += ".com";
    return name;
}

std::string ComposeHitPayload(const AnalyticsIdentity& identity, std::string_view accountId,
                              const AnalyticsHit& hit) {
    const bool isEvent = hit.type == AnalyticsHit::Type::Event;
    std::string body = "v=1&tid=";
    body.append(accountId);
    body += "&cid=" + identity.clientId;
    body += "&an=" + AnalyticsAppName(identity.appNameBase);
    body += "&av=" + identity.appVersion;
    body += isEvent ? "&t=event" : "&t=screenview";
    if (isEvent) {
        body += "&ec=" + hit.category + "&ea=" + hit.action;
        if (!hit.label.empty()) body += "&el=" + hit.label;
        if (hit.value != 0) body += "&ev=" + std::to_string(hit.value);
    } else {
        body += "&cd=" + hit.screenName;
    }
    body += "&cd13=" + identity.clientId;
    if (!identity.groupId.empty()) body += "&cd12=" + identity.groupId;
    return body;
}

std::vector<std::string> HitPayloads(const AnalyticsIdentity& identity, const AnalyticsHit& hit) {
    std::vector<std::string> bodies{ComposeHitPayload(identity, identity.generalAccount, hit)};
    if (identity.licenceAccount != identity.generalAccount)
        bodies.push_back(ComposeHitPayload(identity, identity.licenceAccount, hit));
    return bodies;
}
