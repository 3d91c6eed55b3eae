#include "server/ingest.h"

#include <optional>
#include <string_view>

#include "installer/core/trackinglines.h"
#include "installer/core/trackingtext.h"
#include "server/funnelsteps.h"
#include "server/groupid.h"
#include "server/journeystore.h"

namespace {

std::string GidOf(std::string_view tag) {
    std::string gid;
    ForEachTrackingLine(tag, [&gid](std::string_view line) {
        std::string_view value;
        if (gid.empty() && TrackingLineHasKey(line, "GID=", value)) gid = value;
    });
    return gid;
}

void InsertHit(SqlDb& db, const ReceivedHit& hit, std::int64_t journeyId) {
    const HitFields& f = hit.fields;
    db.query(
        "INSERT INTO hits (received, peer, account, client_id, app_name, app_version, hit_type, "
        "screen, category, action, label, value, group_id, journey_id) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {hit.receivedMs, hit.peer, f.account, f.clientId, f.appName, f.appVersion, f.type, f.screen,
         f.category, f.action, f.label, f.value, f.groupId, journeyId});
}

void StoreHit(SqlDb& db, const ReceivedHit& hit, FunnelCounts& counts, JourneyFacts& facts) {
    const HitFields& f = hit.fields;
    const CampaignToken group = SplitGroupId(f.groupId);
    const std::string key =
        group.token.empty() ? "c:" + f.clientId + "|" + f.groupId : "t:" + group.token;
    Journey journey = LoadJourney(db, key).value_or(Journey{
        .key = key,
        .token = group.token,
        .clientId = f.clientId,
        .day = DayOf(hit.receivedMs),
        .site = f.appName,
        .campaign = group.campaign,
        .firstSeenMs = hit.receivedMs,
    });
    const Journey before = journey;
    if (f.type == "screenview") journey.steps |= StepOfScreen(f.screen);
    if (!f.appVersion.empty()) journey.version = f.appVersion;
    if (f.type == "event" && f.category == kLanguageEvent && !f.label.empty())
        journey.language = f.label;
    if (journey.clientId.empty()) journey.clientId = f.clientId;
    SaveJourney(db, before, journey, counts, facts);
    InsertHit(db, hit, journey.id);
}

void StoreDownload(SqlDb& db, const DownloadRecord& download, FunnelCounts& counts,
                   JourneyFacts& facts) {
    const std::string site = SiteFromTrackingData(download.tag);
    const CampaignToken group = SplitGroupId(GidOf(download.tag));
    const std::string key = group.token.empty() ? "d:" + std::to_string(download.timeMs) + "|" +
                                                      download.peer + "|" + download.build
                                                : "t:" + group.token;
    Journey journey = LoadJourney(db, key).value_or(
        Journey{.key = key, .token = group.token, .firstSeenMs = download.timeMs});
    const Journey before = journey;
    if (!journey.fromDownload) {
        journey.fromDownload = true;
        journey.day = DayOf(download.timeMs);
        journey.site = site;
        journey.campaign = group.campaign;
    }
    if (download.completed) journey.steps |= StepBit::kDownloaded;
    SaveJourney(db, before, journey, counts, facts);
    db.query(
        "INSERT INTO downloads (time, build, token, tag, site, campaign, peer, bytes_sent, "
        "completed, journey_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {download.timeMs, download.build, group.token, download.tag, site, group.campaign,
         download.peer, static_cast<std::int64_t>(download.bytesSent),
         std::int64_t{download.completed}, journey.id});
}

}  // namespace

std::int64_t DayOf(std::int64_t unixMs) {
    constexpr std::int64_t kDayMs = 86400000;
    return unixMs >= 0 ? unixMs / kDayMs : (unixMs - kDayMs + 1) / kDayMs;
}

void StoreItems(SqlDb& db, std::span<const StoreItem> items) {
    SqlTransaction transaction(db);
    FunnelCounts counts;
    JourneyFacts facts;
    for (const StoreItem& item : items) {
        if (const auto* hit = std::get_if<ReceivedHit>(&item))
            StoreHit(db, *hit, counts, facts);
        else
            StoreDownload(db, std::get<DownloadRecord>(item), counts, facts);
    }
    counts.write(db);
    transaction.commit();
}
