#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "installer/core/installparameters.h"

// The tracking data's text: lines separated by LF (a CR before the LF belongs to the line end,
// empty lines are skipped), each "KEY=value", keys matched by prefix without regard to ASCII
// letter case.

// The value of the first "SITEID=" line; "" when there is no data, no such line, or its value
// is empty (a later SITEID line does not count).
std::string SiteFromTrackingData(const std::optional<std::string>& data);

// Applies the tracking data to `params` and returns the GID value for the install worker (cut
// before its first "|"; "" when there is none).
//  - trackingText becomes the stored tracking text: "[TInfo]" LF, every line except ITS=, IZ=,
//    OID= and ONAME= ones, each with LF, then "OID=<oid>" LF when the resulting oid is not
//    empty. Without data it is empty, header included.
//  - A non-empty THM= sets thmValue, OID= replaces oid, ONAME= (Base64 of UTF-8) replaces
//    oname decoded; an ONAME that is not UTF-8 is logged and leaves oname as it was.
std::string ApplyTrackingData(const std::optional<std::string>& data, InstallParameters& params);

// The address of a web page for the language `languageCode`:
//  - a non-empty `urlTemplate` with its first "@locale@" replaced by the code (later ones stay);
//  - else, with a non-empty `pageName`: siteAddress + "/REDIRECTOR/" + code + "/_/" + pageName;
//  - else "" (nothing to open).
std::string BuildWebLink(std::string_view urlTemplate, std::string_view pageName,
                         std::string_view siteAddress, std::string_view languageCode);
