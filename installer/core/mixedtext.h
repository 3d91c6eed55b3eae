#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The texts `parts`, in the program's mixed encoding, joined into one text of the same
// encoding: byte for byte while none is marked UTF-8; otherwise one marked UTF-8 text, since a
// marked part appended as bytes would leave its marker inside the result and its characters
// read as Windows-1252.
std::string JoinMixedTexts(std::initializer_list<std::string_view> parts);

// The UTF-16 units Windows receives for the mixed-encoding `text`: one per code point, a code
// point above U+FFFF reduced to its low 16 bits (as every conversion for the system does).
std::u16string WindowsUnitsOf(std::string_view text);
