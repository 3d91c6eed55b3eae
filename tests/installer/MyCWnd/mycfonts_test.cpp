#include "installer/MyCWnd/mycfonts.h"

#include <gtest/gtest.h>

namespace {

struct ChoiceCase {
    MyFontNames installed;
    const wchar_t* face;
    int scale;
};

TEST(FontChoiceTest, FirstInstalledPreferredFaceWins) {
    const ChoiceCase cases[] = {
        {{L"Tahoma"}, L"Tahoma", 85},
        {{L"tahoma", L"ARIAL"}, L"Tahoma", 85},
        {{L"Arial", L"Segoe UI", L"Wingdings"}, L"Segoe UI", 100},
        {{L"Arial"}, L"Arial", 90},
        {{L"Microsoft Sans Serif", L"Arial"}, L"Arial", 90},
        {{L"Microsoft Sans Serif"}, L"Microsoft Sans Serif", 100},
        {{L"Calibri", L"Tahoma"}, L"Calibri", 100},
        {{L"Wingdings"}, L"Default Face", 100},
        {{}, L"Default Face", 100},
    };
    for (const ChoiceCase& c : cases) {
        const MyFontChoice choice = MyChooseFontFace(c.installed, L"Default Face");
        EXPECT_EQ(choice.face, c.face);
        EXPECT_EQ(choice.scale, c.scale) << choice.scale;
    }
}

TEST(FontChoiceTest, ScaledHeightsRoundToTheNearest) {
    EXPECT_EQ(MyScaledHeight(85, 21), 18);
    EXPECT_EQ(MyScaledHeight(90, 21), 19);
    EXPECT_EQ(MyScaledHeight(100, 21), 21);
    EXPECT_EQ(MyScaledHeight(85, 32), 27);
    EXPECT_EQ(MyScaledHeight(90, 23), 21);
}

LOGFONTW Describe(const UniqueFont& font) {
    LOGFONTW info{};
    EXPECT_TRUE(font);
    ::GetObjectW(font.get(), sizeof info, &info);
    return info;
}

TEST(FontChoiceTest, TahomaAloneMakesNominal21Into18) {
    const MyCFonts fonts(MyChooseFontFace({L"Tahoma"}, L"Default Face"));
    const LOGFONTW normal = Describe(fonts.normal);
    EXPECT_EQ(normal.lfHeight, 18);
    EXPECT_EQ(normal.lfWeight, 500);
    EXPECT_STREQ(normal.lfFaceName, L"Tahoma");
    EXPECT_EQ(Describe(fonts.bold).lfHeight, 18);
    EXPECT_EQ(Describe(fonts.bold).lfWeight, 600);
    EXPECT_EQ(Describe(fonts.plain).lfHeight, 21);
    EXPECT_EQ(Describe(fonts.small).lfHeight, 14);
    EXPECT_EQ(Describe(fonts.small).lfWeight, 100);
    const LOGFONTW heading = Describe(fonts.heading(30));
    EXPECT_EQ(heading.lfHeight, 30);
    EXPECT_EQ(heading.lfWeight, 900);
}

TEST(FontChoiceTest, SystemChoiceIsAnInstalledPreferredFaceOrTheGuiFont) {
    const MyFontNames installed = MyInstalledFontFamilies();
    EXPECT_FALSE(installed.empty());
    const MyFontChoice& choice = MySystemFontChoice();
    if (choice.face == MyDefaultGuiFace() && !installed.count(choice.face)) {
        EXPECT_EQ(choice.scale, 100);
    } else {
        EXPECT_TRUE(installed.count(choice.face)) << "chosen face is not installed";
    }
    EXPECT_EQ(&choice, &MySystemFontChoice()) << "chosen once";
}

}  // namespace
