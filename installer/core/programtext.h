#pragma once

#include <string>
#include <string_view>

// Conversions between UTF-8 (the build machine's text) and the program's own string encoding
// (Windows-1252, or 0x10-marked UTF-8 when a character does not fit). Build-time helpers.

// The program text of `utf8`: Windows-1252 when every character fits, else marked UTF-8.
// Throws PI18NError "UTF-8 format error" on malformed UTF-8.
std::string Utf8ToProgramText(std::string_view utf8);

// The UTF-8 form of a program text.
std::string ProgramTextToUtf8(std::string_view text);
