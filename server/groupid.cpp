#include "server/groupid.h"

CampaignToken SplitGroupId(std::string_view gid) {
    gid = gid.substr(0, gid.find('|'));
    const std::size_t tilde = gid.rfind('~');
    if (tilde == std::string_view::npos) return {std::string(gid), ""};
    return {std::string(gid.substr(0, tilde)), std::string(gid.substr(tilde + 1))};
}

std::string JoinGroupId(std::string_view campaign, std::string_view token) {
    return std::string(campaign) + "~" + std::string(token);
}
