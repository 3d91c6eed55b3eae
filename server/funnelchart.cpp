#include "server/funnelchart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "server/dates.h"
#include "server/funnelsteps.h"
#include "server/html.h"

namespace {

const char* const kColors[] = {"#9aa3b5", "#6ea0ff", "#2f6fde", "#1f9d6b", "#c8453b"};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::size_t IndexOf(std::string_view column) {
    const auto steps = FunnelSteps();
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (steps[i].column == column) return i;
    return 0;
}

// A round step for a scale from 0 to `top`, about five lines.
std::int64_t GridStep(std::int64_t top) {
    const double raw = std::max<double>(1, static_cast<double>(top) / 5);
    const double power = std::pow(10, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (raw <= factor * power) return static_cast<std::int64_t>(factor * power);
    return static_cast<std::int64_t>(10 * power);
}

std::string Text(double x, double y, std::string_view text, std::string_view anchor = "start",
                 std::string_view cssClass = "") {
    std::string out = "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"" +
                      std::string(anchor) + "\"";
    if (!cssClass.empty()) out += " class=\"" + std::string(cssClass) + "\"";
    return out + ">" + Html(text) + "</text>";
}

}  // namespace

std::string FunnelBarsSvg(const FunnelReport& report) {
    const auto steps = FunnelSteps();
    std::vector<std::size_t> main;
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (steps[i].main) main.push_back(i);
    const double width = 480, labelWidth = 138, barWidth = 200, rowHeight = 40;
    std::int64_t base = 0;
    for (std::size_t i : main)
        if (base == 0) base = report.totals[i];
    std::string svg = "<svg viewBox=\"0 0 " + Number(width) + " " +
                      Number(rowHeight * static_cast<double>(main.size())) +
                      "\" role=\"img\" aria-label=\"Funnel\">";
    double y = 0;
    for (std::size_t i : main) {
        const std::int64_t count = report.totals[i];
        const double share = base > 0 ? static_cast<double>(count) / static_cast<double>(base) : 0;
        const double bar = std::max(2.0, barWidth * std::min(1.0, share));
        svg += Text(0, y + 24, steps[i].title, "start", "strong");
        svg += "<rect x=\"" + Number(labelWidth) + "\" y=\"" + Number(y + 10) + "\" width=\"" +
               Number(barWidth) + "\" height=\"20\" rx=\"4\" fill=\"#eef2f8\"/>";
        svg += "<rect x=\"" + Number(labelWidth) + "\" y=\"" + Number(y + 10) + "\" width=\"" +
               Number(bar) + "\" height=\"20\" rx=\"4\" fill=\"#2f6fde\"/>";
        const std::string figure =
            Thousands(count) + (base > 0 ? "  (" + Number(100 * share) + " %)" : "");
        svg += Text(labelWidth + barWidth + 10, y + 24, figure);
        y += rowHeight;
    }
    return svg + "</svg>";
}

std::string DailyChartSvg(const FunnelReport& report, std::int64_t fromDay, std::int64_t toDay) {
    const double width = 660, height = 260, left = 48, right = 22, top = 12, bottom = 28;
    const std::int64_t dayCount = std::max<std::int64_t>(1, toDay - fromDay + 1);
    std::vector<std::vector<std::int64_t>> series(std::size(kChartedSteps),
                                                  std::vector<std::int64_t>(dayCount, 0));
    std::int64_t highest = 1;
    for (const FunnelDay& day : report.days) {
        if (day.day < fromDay || day.day > toDay) continue;
        for (std::size_t s = 0; s < std::size(kChartedSteps); ++s) {
            const std::int64_t count = day.counts[IndexOf(kChartedSteps[s])];
            series[s][day.day - fromDay] = count;
            highest = std::max(highest, count);
        }
    }
    const std::int64_t step = GridStep(highest);
    const std::int64_t scaleTop = (highest + step - 1) / step * step;
    const double plotWidth = width - left - right, plotHeight = height - top - bottom;
    auto xOf = [&](std::int64_t index) {
        return left + (dayCount == 1 ? plotWidth / 2
                                     : plotWidth * static_cast<double>(index) /
                                           static_cast<double>(dayCount - 1));
    };
    auto yOf = [&](std::int64_t value) {
        return top + plotHeight * (1 - static_cast<double>(value) / static_cast<double>(scaleTop));
    };
    std::string svg = "<svg viewBox=\"0 0 " + Number(width) + " " + Number(height) +
                      "\" role=\"img\" aria-label=\"Steps per day\">";
    for (std::int64_t value = 0; value <= scaleTop; value += step) {
        svg += "<line x1=\"" + Number(left) + "\" x2=\"" + Number(width - right) + "\" y1=\"" +
               Number(yOf(value)) + "\" y2=\"" + Number(yOf(value)) +
               "\" stroke=\"#e3e7ee\" stroke-width=\"1\"/>";
        svg += Text(left - 6, yOf(value) + 4, Thousands(value), "end");
    }
    const std::int64_t labels = std::min<std::int64_t>(dayCount, 7);
    for (std::int64_t i = 0; i < labels; ++i) {
        const std::int64_t index = labels == 1 ? 0 : i * (dayCount - 1) / (labels - 1);
        svg += Text(xOf(index), height - 8, DayText(fromDay + index).substr(5), "middle");
    }
    for (std::size_t s = 0; s < series.size(); ++s) {
        std::string points;
        for (std::int64_t i = 0; i < dayCount; ++i)
            points += Number(xOf(i)) + "," + Number(yOf(series[s][i])) + " ";
        svg += "<polyline fill=\"none\" stroke=\"" + std::string(kColors[s]) +
               "\" stroke-width=\"2\" stroke-linejoin=\"round\" points=\"" + points + "\"/>";
        if (dayCount <= 45) {
            for (std::int64_t i = 0; i < dayCount; ++i)
                svg += "<circle cx=\"" + Number(xOf(i)) + "\" cy=\"" + Number(yOf(series[s][i])) +
                       "\" r=\"2.5\" fill=\"" + std::string(kColors[s]) + "\"/>";
        }
    }
    return svg + "</svg>";
}
