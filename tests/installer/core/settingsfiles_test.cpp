#include "installer/core/settingsfiles.h"

#include <gtest/gtest.h>

#include <string>

#include "plib/encinifile.h"

namespace {

TEST(SettingsFolderCandidate, OnlyAFolderDirectlyInLocalAppData) {
    InstallParameters p;
    p.workFolderName = "Zembrico.BE";
    EXPECT_EQ(SettingsFolderCandidate(p), "");
    p.localAppDataFolder = "C:\\Users\\A\\AppData\\Local";
    EXPECT_EQ(SettingsFolderCandidate(p), "C:\\Users\\A\\AppData\\Local\\Zembrico.BE");
    for (const char* name : {"", "..", "..\\..\\x", "D:\\x", "x:y", "AUX"}) {
        p.workFolderName = name;
        EXPECT_EQ(SettingsFolderCandidate(p), "") << name;
    }
}

TEST(TInfoPlainText, AppendsTimeAndZoneLines) {
    EXPECT_EQ(TInfoPlainText("[TInfo]\nTHM=abc\n", 4294967295u, -18000),
              "[TInfo]\nTHM=abc\nITS=4294967295\nIZ=-18000\n");
    EXPECT_EQ(TInfoPlainText("[TInfo]\n", 0, 0), "[TInfo]\nITS=0\nIZ=0\n");
}

TEST(UtcOffsetSeconds, EastIsPositiveAndDaylightAddsItsBias) {
    struct Case {
        int bias, daylightBias;
        bool daylight;
        int expected;
    };
    const Case cases[] = {
        {-60, -60, false, 3600},                            // one hour east, winter
        {-60, -60, true, 7200},                             // one hour east, summer
        {300, -60, false, -18000},                          // five hours west
        {300, -60, true, -14400},  {-330, 0, true, 19800},  // half-hour zone without daylight time
        {0, -60, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UtcOffsetSeconds(c.bias, c.daylightBias, c.daylight), c.expected)
            << c.bias << " " << c.daylightBias << " " << c.daylight;
}

// The document as "[section]" lines and "name=value" lines, in order.
std::string Dump(const EncIniFile& ini) {
    std::string text;
    for (size_t i = 0; i < ini.sectionCount(); ++i) {
        const EncIniSection& section = ini.section(i);
        text += "[" + std::string(section.name().view()) + "]\n";
        for (const EncIniItem& item : section.items())
            text += std::string(item.name.view()) + "=" + std::string(item.value.view()) + "\n";
    }
    return text;
}

TEST(UserIni, NewDocumentHoldsOnlyTheLocale) {
    EncIniFile ini;
    ApplyUserIniSettings(ini, 7);
    EXPECT_EQ(Dump(ini), "[PipeOption]\nLocale=7\n");
}

TEST(UserIni, KeepsOtherSectionsAndDropsEveryUpdateSection) {
    const std::string text =
        "[update]\nurl=a\n[Window]\nx=1\n[pipeoption]\nSound=0\nlocale=3\n"
        "[UPDATE]\nurl=b\n[Other]\n y = 2 \n";
    EncIniFile ini;
    ini.readFromMemory(text.data(), text.size());
    ApplyUserIniSettings(ini, 12);
    EXPECT_EQ(Dump(ini), "[Window]\nx=1\n[pipeoption]\nSound=0\nlocale=12\n[Other]\ny = 2\n");
}

TEST(UserIni, MissingPipeOptionGoesAtTheEnd) {
    const std::string text = "[A]\nk=v\n";
    EncIniFile ini;
    ini.readFromMemory(text.data(), text.size());
    ApplyUserIniSettings(ini, 0);
    EXPECT_EQ(Dump(ini), "[A]\nk=v\n[PipeOption]\nLocale=0\n");
}

TEST(AppIni, SiteThenWorkFolder) {
    EncIniFile ini;
    FillAppIni(ini, "FR", "ZembricoFR");
    EXPECT_EQ(Dump(ini), "[App]\nSite=FR\nWinWorkFolder=ZembricoFR\n");
}

}  // namespace
