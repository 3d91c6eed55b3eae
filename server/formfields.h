#pragma once

#include <optional>
#include <string>
#include <string_view>

// The value of field `name` in a form as a browser sends it (a query string or an
// application/x-www-form-urlencoded body): "+" is a blank, "%XX" a byte; a broken escape stays
// as it is. Nothing when the field is absent; the first one when it is there several times.
std::optional<std::string> FormField(std::string_view form, std::string_view name);

// `text` escaped for a query string (all but letters, digits and "-._~" as "%XX").
std::string FormEscape(std::string_view text);
