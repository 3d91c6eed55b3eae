#pragma once

#include <string>
#include <vector>

#include "server/journeyquery.h"

// The installations view: a search by client id or download token and the journeys found (the
// newest when nothing is searched).
std::string InstallationsBody(JourneySearch by, const std::string& value,
                              const std::vector<Journey>& journeys);

// One journey: where it came from, its downloads and its hits, grouped by client id.
std::string InstallationBody(const Journey& journey, const std::vector<DownloadRow>& downloads,
                             const std::vector<HitRow>& hits);
