#include "server/funnelpage.h"

#include <cstdio>

#include "server/dates.h"
#include "server/funnelchart.h"
#include "server/funnelform.h"
#include "server/funnelsteps.h"
#include "server/html.h"

namespace {

std::string Select(std::string_view name, std::string_view label,
                   const std::vector<std::string>& values,
                   const std::optional<std::string>& chosen) {
    std::string html = "<label>" + std::string(label) + "<select name=\"" + std::string(name) +
                       "\"><option value=\"\">All</option>";
    for (const std::string& value : values) {
        html += "<option value=\"=" + Html(value) + "\"";
        if (chosen && *chosen == value) html += " selected";
        html += ">" + (value.empty() ? std::string("(not reported)") : Html(value)) + "</option>";
    }
    return html + "</select></label>";
}

std::string Filters(const FunnelFilter& filter, const FilterChoices& choices) {
    return "<form class=\"filters\" method=\"get\" action=\"/dashboard\">"
           "<label>From<input type=\"date\" name=\"from\" value=\"" +
           DayText(filter.fromDay) +
           "\"></label><label>To<input type=\"date\" name=\"to\" value=\"" + DayText(filter.toDay) +
           "\"></label>" + Select("site", "Site", choices.sites, filter.site) +
           Select("campaign", "Campaign", choices.campaigns, filter.campaign) +
           Select("language", "Language", choices.languages, filter.language) +
           Select("version", "Version", choices.versions, filter.version) +
           "<div class=\"actions\"><button class=\"button\" type=\"submit\">Show</button>"
           "<a class=\"button secondary\" href=\"/dashboard/funnel.csv?" +
           Html(FunnelFormQuery(filter)) + "\">CSV</a></div></form>";
}

std::string RateOf(const FunnelReport& report, std::size_t step) {
    const auto steps = FunnelSteps();
    const int of = steps[step].rateOf;
    if (of < 0) return "";
    return "<b>" + Rate(report.totals[step], report.totals[of]) + "</b> of " +
           Html(steps[of].title);
}

std::string Cards(const FunnelReport& report) {
    const auto steps = FunnelSteps();
    std::string html = "<section class=\"cards\">";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!steps[i].main) continue;
        html += "<div class=\"card\"><div class=\"label\">" + Html(steps[i].title) +
                "</div><div class=\"value\">" + Thousands(report.totals[i]) +
                "</div><div class=\"rate\">" + RateOf(report, i) + "&nbsp;</div></div>";
    }
    return html + "</section>";
}

std::string Outcomes(const FunnelReport& report) {
    const auto steps = FunnelSteps();
    std::string html =
        "<div class=\"panel\"><h2>Outcomes</h2><table "
        "class=\"compact\"><thead><tr><th>Step</th><th>Installations"
        "</th><th>Rate</th></tr></thead><tbody>";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].main) continue;
        html += "<tr><td>" + Html(steps[i].title) + "</td><td>" + Thousands(report.totals[i]) +
                "</td><td>" + RateOf(report, i) + "</td></tr>";
    }
    return html + "</tbody></table></div>";
}

std::string Charts(const FunnelFilter& filter, const FunnelReport& report) {
    const auto steps = FunnelSteps();
    std::string legend = "<div class=\"legend\">";
    for (std::size_t s = 0; s < std::size(kChartedSteps); ++s) {
        for (const FunnelStep& step : steps)
            if (step.column == kChartedSteps[s])
                legend +=
                    "<span class=\"s" + std::to_string(s) + "\">" + Html(step.title) + "</span>";
    }
    legend += "</div>";
    return "<section class=\"grid2\"><div class=\"panel\"><h2>Funnel</h2>" + FunnelBarsSvg(report) +
           "<p class=\"note\">Share of downloads (of first screens where no download was "
           "logged). Site and campaign come from the download's tag, else from what the setup "
           "program reports; language and version from the setup program, once it has started "
           "installing.</p></div><div class=\"panel\"><h2>Per day</h2>" +
           DailyChartSvg(report, filter.fromDay, filter.toDay) + legend + "</div></section>";
}

std::string DayTable(const FunnelReport& report) {
    const auto steps = FunnelSteps();
    if (report.days.empty())
        return "<div class=\"panel\"><p class=\"empty\">No installations in these days.</p></div>";
    std::string html = "<div class=\"panel\"><h2>Days</h2><table><thead><tr><th>Day</th>";
    for (const FunnelStep& step : steps) html += "<th>" + Html(step.title) + "</th>";
    html += "</tr></thead><tbody>";
    for (const FunnelDay& day : report.days) {
        html += "<tr><td>" + DayText(day.day) + "</td>";
        for (std::int64_t count : day.counts) html += "<td>" + Thousands(count) + "</td>";
        html += "</tr>";
    }
    html += "</tbody><tfoot><tr><td>Total</td>";
    for (std::int64_t count : report.totals) html += "<td>" + Thousands(count) + "</td>";
    return html + "</tr></tfoot></table></div>";
}

}  // namespace

std::string Rate(std::int64_t count, std::int64_t of) {
    if (of <= 0) return "–";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%",
                  100.0 * static_cast<double>(count) / static_cast<double>(of));
    return text;
}

std::string FunnelPageBody(const FunnelFilter& filter, const FunnelReport& report,
                           const FilterChoices& choices) {
    const std::int64_t days = filter.toDay - filter.fromDay + 1;
    return "<h1>Install funnel</h1><p class=\"sub\">" + DayText(filter.fromDay) + " to " +
           DayText(filter.toDay) + " (UTC), " + std::to_string(days) +
           (days == 1 ? " day" : " days") + "</p>" + Filters(filter, choices) + Cards(report) +
           Charts(filter, report) + Outcomes(report) + DayTable(report);
}

std::string FunnelCsv(const FunnelReport& report) {
    std::string csv = "day";
    for (const FunnelStep& step : FunnelSteps()) csv += "," + std::string(step.column);
    csv += "\r\n";
    for (const FunnelDay& day : report.days) {
        csv += DayText(day.day);
        for (std::int64_t count : day.counts) csv += "," + std::to_string(count);
        csv += "\r\n";
    }
    csv += "total";
    for (std::int64_t count : report.totals) csv += "," + std::to_string(count);
    return csv + "\r\n";
}
