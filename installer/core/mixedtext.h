#pragma once

#include <string>
#include <string_view>

// The UTF-16 units Windows receives for the mixed-encoding `text`: one per code point, a code
// point above U+FFFF reduced to its low 16 bits (as every conversion for the system does).
std::u16string WindowsUnitsOf(std::string_view text);
