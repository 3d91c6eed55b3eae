#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "plib/winseam/unique.h"

// Case-insensitive order of font names.
struct MyNoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const noexcept;
};
using MyFontNames = std::set<std::wstring, MyNoCaseLess>;

// The user-interface face and its scale in percent.
struct MyFontChoice {
    std::wstring face;
    int scale = 100;
};

// The first installed of "Calibri" 100, "Segoe UI" 100, "Tahoma" 85, "Arial" 90 and
// "Microsoft Sans Serif" 100; when none is, `defaultFace` at 100.
MyFontChoice MyChooseFontFace(const MyFontNames& installed, const std::wstring& defaultFace);

// Every installed font family of the default character set.
MyFontNames MyInstalledFontFamilies();
// The face of the system's default GUI font.
std::wstring MyDefaultGuiFace();
// The choice for this system, made once per process.
const MyFontChoice& MySystemFontChoice();

// A nominal height scaled by `scale` percent, rounded: (scale * nominal + 50) / 100.
constexpr int MyScaledHeight(int scale, int nominal) {
    return (scale * nominal + 50) / 100;
}

// A font of `face` with the given cell height and weight; null when the system refuses, which
// leaves the system font in the controls that would use it.
UniqueFont MyCreateFont(const std::wstring& face, int height, int weight,
                        BYTE quality = DEFAULT_QUALITY);

// The toolkit's own fonts, made from a face choice, for a window drawn at `percent` (every
// height below is then taken at that factor too).
struct MyCFonts {
    explicit MyCFonts(const MyFontChoice& choice, int percent = 100);
    // A heading font of `height` (not scaled by the face) at weight 900.
    UniqueFont heading(int height) const;

    MyFontChoice choice;
    int percent;
    UniqueFont normal;  // 21 scaled by the face, weight 500
    UniqueFont bold;    // 21 scaled by the face, weight 600
    UniqueFont plain;   // 21 not scaled by the face, weight 500
    UniqueFont small;   // 14 not scaled by the face, weight 100
};
