#pragma once

// Whether Windows can show East Asian scripts: it converts the characters U+65E5 U+672C U+8A9E
// to code page 50220. Asked once per process.
bool EastAsianLanguageSupport();
