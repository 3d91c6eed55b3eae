#include "installer/MyCWnd/mycfonts.h"

#include <algorithm>
#include <cwctype>

#include "installer/core/wizardscale.h"

namespace {

struct Preferred {
    const wchar_t* face;
    int scale;
};
// Scales even out the faces' different apparent sizes at one nominal height.
constexpr Preferred kPreferred[] = {
    {L"Calibri", 100},
    {L"Segoe UI", 100},
    {L"Tahoma", 85},
    {L"Arial", 90},
    {L"Microsoft Sans Serif", 100},
};

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM names) {
    reinterpret_cast<MyFontNames*>(names)->insert(font->lfFaceName);
    return 1;
}

}  // namespace

bool MyNoCaseLess::operator()(const std::wstring& a, const std::wstring& b) const noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const wint_t x = std::towlower(a[i]);
        const wint_t y = std::towlower(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

MyFontChoice MyChooseFontFace(const MyFontNames& installed, const std::wstring& defaultFace) {
    for (const Preferred& p : kPreferred)
        if (installed.count(p.face)) return {p.face, p.scale};
    return {defaultFace, 100};
}

MyFontNames MyInstalledFontFamilies() {
    MyFontNames names;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    const HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &query, &CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
    ::ReleaseDC(nullptr, screen);
    return names;
}

std::wstring MyDefaultGuiFace() {
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font.lfFaceName;
}

const MyFontChoice& MySystemFontChoice() {
    static const MyFontChoice choice =
        MyChooseFontFace(MyInstalledFontFamilies(), MyDefaultGuiFace());
    return choice;
}

UniqueFont MyCreateFont(const std::wstring& face, int height, int weight, BYTE quality) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = quality;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return UniqueFont(::CreateFontIndirectW(&font));
}

MyCFonts::MyCFonts(const MyFontChoice& c, int p)
    : choice(c),
      percent(p),
      normal(MyCreateFont(c.face, Scaled(MyScaledHeight(c.scale, 21), p), /*weight=*/500)),
      bold(MyCreateFont(c.face, Scaled(MyScaledHeight(c.scale, 21), p), /*weight=*/600)),
      plain(MyCreateFont(c.face, Scaled(/*height=*/21, p), /*weight=*/500)),
      small(MyCreateFont(c.face, Scaled(/*height=*/14, p), /*weight=*/100)) {}

UniqueFont MyCFonts::heading(int height) const {
    return MyCreateFont(choice.face, Scaled(height, percent), /*weight=*/900);
}
