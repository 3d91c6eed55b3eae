#include "server/installationspage.h"

#include <bit>
#include <ctime>

#include "server/dates.h"
#include "server/funnelsteps.h"
#include "server/html.h"

namespace {

std::string Time(std::int64_t unixMs) {
    const std::time_t seconds = unixMs / 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

std::string Badges(std::int64_t steps) {
    std::string html;
    for (const FunnelStep& step : FunnelSteps()) {
        if (std::popcount(step.bits) != 1 || !(steps & step.bits)) continue;
        const char* tone = step.bits == StepBit::kCompleted ? " good"
                           : step.bits == StepBit::kCancelled || step.bits == StepBit::kInsufficient
                               ? " bad"
                               : "";
        html += "<span class=\"badge" + std::string(tone) + "\">" + Html(step.badge) + "</span>";
    }
    return html.empty() ? "<span class=\"badge\">nothing yet</span>" : html;
}

// The tag's lines on one line.
std::string TagLines(std::string tag) {
    while (tag.ends_with('\n')) tag.pop_back();
    for (std::size_t at = tag.find('\n'); at != std::string::npos; at = tag.find('\n', at))
        tag.replace(at, 1, " · ");
    return tag;
}

std::string Or(const std::string& text, const char* none) {
    return text.empty() ? std::string(none) : Html(text);
}

std::string Search(JourneySearch by, const std::string& value) {
    auto option = [&](JourneySearch kind, const char* name, const char* label) {
        return "<option value=\"" + std::string(name) + "\"" + (by == kind ? " selected" : "") +
               ">" + label + "</option>";
    };
    return "<form class=\"filters\" method=\"get\" action=\"/dashboard/installations\">"
           "<label>Search by<select name=\"by\">" +
           option(JourneySearch::ClientId, "client", "Client id") +
           option(JourneySearch::Token, "token", "Download token") +
           "</select></label><label>Value<input name=\"value\" value=\"" +
           (by == JourneySearch::Latest ? "" : Html(value)) +
           "\" size=\"40\"></label><div class=\"actions\"><button class=\"button\" "
           "type=\"submit\">Search</button><a class=\"button secondary\" "
           "href=\"/dashboard/installations\">Newest</a></div></form>";
}

std::string JourneyRow(const Journey& journey) {
    return "<tr><td><a href=\"/dashboard/installation?id=" + std::to_string(journey.id) + "\">" +
           DayText(journey.day) + "</a></td><td class=\"text\">" + Or(journey.site, "–") +
           "</td><td class=\"text\">" + Or(journey.campaign, "–") + "</td><td class=\"text\">" +
           Or(journey.language, "–") + "</td><td class=\"text\">" + Or(journey.version, "–") +
           "</td><td class=\"text\"><code>" + Or(journey.clientId, "–") +
           "</code></td><td class=\"steps\">" + Badges(journey.steps) + "</td></tr>";
}

std::string DownloadTable(const std::vector<DownloadRow>& downloads) {
    if (downloads.empty()) return "<p class=\"empty\">No download was logged for it.</p>";
    std::string html =
        "<table><thead><tr><th>Time (UTC)</th><th class=\"text\">Build</th>"
        "<th class=\"text\">Token</th><th class=\"text\">Tag</th><th>Bytes</th>"
        "<th>Complete</th><th class=\"text\">Address</th></tr></thead><tbody>";
    for (const DownloadRow& d : downloads) {
        html += "<tr><td>" + Time(d.timeMs) + "</td><td class=\"text\">" + Html(d.build) +
                "</td><td class=\"text\"><code>" + Or(d.token, "–") +
                "</code></td><td class=\"steps\"><code>" + Or(TagLines(d.tag), "untagged") +
                "</code></td><td>" + Thousands(d.bytesSent) + "</td><td>" +
                (d.completed ? "yes" : "no") + "</td><td class=\"text\">" + Html(d.peer) +
                "</td></tr>";
    }
    return html + "</tbody></table>";
}

std::string HitTable(const std::vector<HitRow>& hits) {
    if (hits.empty()) return "<p class=\"empty\">No hit yet.</p>";
    std::string html;
    std::string client = "\n";
    for (const HitRow& hit : hits) {
        if (hit.clientId != client) {
            if (client != "\n") html += "</tbody></table>";
            client = hit.clientId;
            html += "<h2>Client id <code>" + Or(client, "(none)") +
                    "</code></h2><table><thead><tr><th>Time (UTC)</th>"
                    "<th class=\"text\">Account</th><th class=\"text\">Hit</th>"
                    "<th class=\"text\">Application</th><th class=\"text\">Version</th>"
                    "<th class=\"text\">Address</th></tr></thead><tbody>";
        }
        const std::string what =
            hit.type == "event"
                ? hit.category + ": " + hit.action + (hit.label.empty() ? "" : " / " + hit.label)
                : hit.screen;
        html += "<tr><td>" + Time(hit.receivedMs) + "</td><td class=\"text\">" +
                Or(hit.account, "(empty)") + "</td><td class=\"text\">" + Html(what) +
                "</td><td class=\"text\">" + Html(hit.appName) + "</td><td class=\"text\">" +
                Html(hit.appVersion) + "</td><td class=\"text\">" + Html(hit.peer) + "</td></tr>";
    }
    return html + "</tbody></table>";
}

}  // namespace

std::string InstallationsBody(JourneySearch by, const std::string& value,
                              const std::vector<Journey>& journeys) {
    std::string html = "<h1>Installations</h1><p class=\"sub\">" +
                       std::string(by == JourneySearch::Latest
                                       ? "The newest, by the day their download or first hit came."
                                       : "Found for " + Html(value) + ".") +
                       "</p>" + Search(by, value) + "<div class=\"panel\">";
    if (journeys.empty()) return html + "<p class=\"empty\">No installation found.</p></div>";
    html +=
        "<table><thead><tr><th>Day</th><th class=\"text\">Site</th><th class=\"text\">Campaign"
        "</th><th class=\"text\">Language</th><th class=\"text\">Version</th>"
        "<th class=\"text\">Client id</th><th class=\"text\">Steps</th></tr></thead><tbody>";
    for (const Journey& journey : journeys) html += JourneyRow(journey);
    return html + "</tbody></table></div>";
}

std::string InstallationBody(const Journey& journey, const std::vector<DownloadRow>& downloads,
                             const std::vector<HitRow>& hits) {
    return "<h1>Installation</h1><p class=\"sub\">" + DayText(journey.day) + " · site " +
           Or(journey.site, "–") + " · campaign " + Or(journey.campaign, "–") + " · token <code>" +
           Or(journey.token, "none") + "</code></p><div class=\"panel\">" + Badges(journey.steps) +
           "</div><div class=\"panel\"><h2>Downloads</h2>" + DownloadTable(downloads) +
           "</div><div class=\"panel\">" + HitTable(hits) + "</div>";
}
