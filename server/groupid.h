#pragma once

#include <string>
#include <string_view>

// How a download token travels. The tag's GID is "<campaign>~<token>", optionally followed by
// "|" and more; the setup program sends the GID up to its first "|" in each hit (cd12), so the
// token comes back with every hit of the installation that the download started. A GID
// without "~" is a campaign alone. The web front that mints download codes writes the GID so;
// the download log and the hits read it with the same function.
struct CampaignToken {
    std::string campaign;
    std::string token;
};

// Splits a GID (or a hit's cd12) into campaign and token: cut at the first "|", then at the
// last "~".
CampaignToken SplitGroupId(std::string_view gid);

// The GID for `campaign` and `token`.
std::string JoinGroupId(std::string_view campaign, std::string_view token);
