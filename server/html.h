#pragma once

#include <string>
#include <string_view>

#include "server/http.h"

// `text` safe inside an HTML element or a quoted attribute: & < > " ' escaped.
std::string Html(std::string_view text);

// `value` with its thousands marked: "1,234,567".
std::string Thousands(std::int64_t value);

// A dashboard page: the head (its style sheet), the bar with the views' links (`current`
// marked) and the log-out button, then `body`, which the caller has escaped.
std::string DashboardPage(std::string_view title, std::string_view current, std::string_view body);

// A page as a response, with the headers that keep it from being framed, cached or made to
// run anything: the dashboard runs no script and loads only its own style sheet.
HttpResponse HtmlResponse(std::string page);

// The dashboard's style sheet (served at kStylePath).
std::string_view DashboardStyle();
inline constexpr std::string_view kStylePath = "/dashboard/style.css";
