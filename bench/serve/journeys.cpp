#include "journeys.h"

#include <cmath>

#include "installer/core/analyticspayload.h"
#include "server/groupid.h"

namespace {

const char* const kSites[] = {"FR",  "DE", "ES",  "IT", "UK", "NL", "BE", "PT", "SE", "DK",
                              "COM", "EU", "NET", "CH", "CZ", "GR", "RO", "BG", "EE", "IN"};
const char* const kLanguages[] = {"English",
                                  "German",
                                  "French",
                                  "Spanish",
                                  "Italian",
                                  "Dutch",
                                  "Portuguese",
                                  "Swedish",
                                  "Danish",
                                  "Polish",
                                  "Czech",
                                  "Greek",
                                  "Romanian",
                                  "Bulgarian",
                                  "Estonian",
                                  "Hungarian",
                                  "Finnish",
                                  "Norwegian",
                                  "Russian",
                                  "Ukrainian",
                                  "Turkish",
                                  "Japanese",
                                  "Korean",
                                  "Chinese (Simplified)",
                                  "Chinese (Traditional)",
                                  "Hindi",
                                  "Latvian",
                                  "Lithuanian",
                                  "Slovak",
                                  "Slovenian",
                                  "Croatian",
                                  "Serbian",
                                  "Georgian",
                                  "Hebrew"};
const char* const kVersions[] = {"182, 5, 8,", "182, 6, 0,", "181, 9, 4,"};

template <class T, std::size_t N>
constexpr std::size_t Count(T (&)[N]) {
    return N;
}

}  // namespace

std::size_t JourneyMaker::skewed(std::size_t n) {
    const double u = std::uniform_real_distribution<>(0, 1)(random_);
    return std::min(n - 1, static_cast<std::size_t>(std::floor(std::pow(u, 2.5) * n)));
}

std::vector<std::string> JourneyMaker::hits(const std::string& clientId, std::int64_t dayStartMs,
                                            DownloadRecord* download) {
    const std::string site = kSites[skewed(Count(kSites))];
    const std::string campaign = "camp" + std::to_string(skewed(50));
    const bool tokened = chance(0.8);
    AnalyticsIdentity identity{
        .appNameBase = "Zembrico." + site,
        .appVersion = kVersions[skewed(Count(kVersions))],
        .generalAccount = "UA-10000001-1",
        .licenceAccount = "UA-10000002-1",
        .clientId = clientId,
        .groupId = tokened ? JoinGroupId(campaign, "t" + clientId) : campaign,
    };
    if (tokened && download) {
        *download = DownloadRecord{.timeMs = dayStartMs + 1000,
                                   .build = "ZembricoInstall.exe",
                                   .tag = "SITEID=" + site + "\nGID=" + identity.groupId + "\n",
                                   .peer = "192.0.2.1",
                                   .bytesSent = 40 << 20,
                                   .completed = true};
    }
    std::vector<std::string> bodies;
    auto send = [&](const AnalyticsHit& hit) {
        for (std::string& body : HitPayloads(identity, hit)) bodies.push_back(std::move(body));
    };
    auto screen = [&](const char* name) {
        send({.type = AnalyticsHit::Type::ScreenView, .screenName = name});
    };
    if (!chance(0.85)) return bodies;
    screen(chance(0.97) ? "InstallationWindow/SufficientSpace"
                        : "InstallationWindow/InsufficientSpace");
    if (chance(0.1)) screen("InstallationWindow/TOS");
    if (!chance(0.7)) {
        if (chance(0.3)) screen("InstallationWindow/InstallCancelled");
        return bodies;
    }
    screen("InstallationWindow/InstallStarted");
    const std::string language = kLanguages[skewed(Count(kLanguages))];
    send({.type = AnalyticsHit::Type::Event,
          .category = "Installation_Language_Change_51569",
          .action = language,
          .label = language});
    if (!chance(0.95)) return bodies;
    screen("InstallationWindow/InstallComplete");
    if (chance(0.3))
        screen(chance(0.4) ? "InstallationWindow/WV2Download" : "InstallationWindow/WV2Close");
    return bodies;
}
