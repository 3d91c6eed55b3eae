#include "server/html.h"

namespace {

struct View {
    std::string_view name;
    std::string_view path;
};

constexpr View kViews[] = {{"Funnel", "/dashboard"}, {"Installations", "/dashboard/installations"}};

}  // namespace

std::string Html(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Thousands(std::int64_t value) {
    std::string digits = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    for (std::size_t at = digits.size(); at > sign + 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string DashboardPage(std::string_view title, std::string_view current, std::string_view body) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>" +
        Html(title) +
        " · Zembrico Setup</title>"
        "<link rel=\"stylesheet\" href=\"" +
        std::string(kStylePath) +
        "\"></head><body>"
        "<header class=\"bar\"><span class=\"brand\">Zembrico Setup</span><nav>";
    for (const View& view : kViews) {
        page += "<a href=\"" + std::string(view.path) + "\"";
        if (view.name == current) page += " class=\"current\" aria-current=\"page\"";
        page += ">" + std::string(view.name) + "</a>";
    }
    page +=
        "</nav><form method=\"post\" action=\"/logout\" class=\"logout\">"
        "<button type=\"submit\">Log out</button></form></header><main>";
    page += body;
    page += "</main></body></html>\n";
    return page;
}

HttpResponse HtmlResponse(std::string page) {
    HttpResponse response;
    response.text("text/html; charset=utf-8", std::move(page));
    response
        .header("Content-Security-Policy",
                "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; "
                "frame-ancestors 'none'; base-uri 'none'")
        .header("X-Content-Type-Options", "nosniff")
        .header("Referrer-Policy", "no-referrer")
        .header("Cache-Control", "no-store");
    return response;
}
