#include "client/core/clientsettings.h"

#include <gtest/gtest.h>

#include <string>

#include "plib/encinifile.h"

namespace {

void Read(EncIniFile& ini, const std::string& text) {
    ini.readFromMemory(text.data(), text.size());
}

TEST(ClientSettings, ReadsTheInstallersFiles) {
    EncIniFile app, user;
    Read(app, "[App]\r\nSite=FR\r\nWinWorkFolder=ZembricoWork\r\n\r\n");
    Read(user, "[Mine]\nLocale=9\n[pipeoption]\nlocale=4\n");
    ClientSettings settings;
    settings.oid = "77";
    ReadAppIni(app, settings);
    ReadUserIni(user, settings);
    EXPECT_EQ(settings.site, "FR");
    EXPECT_EQ(settings.workFolder, "ZembricoWork");
    EXPECT_EQ(settings.language, 4);
    EXPECT_EQ(ClientViewLines(settings, "Zembrico Poker"),
              (std::vector<std::string>{"Zembrico Poker", "Site: FR", "Operator: 77",
                                        "Language: German"}));
}

TEST(ClientSettings, WhatIsMissingShowsAsNone) {
    EncIniFile app, user;
    Read(app, "[Other]\nSite=XX\n");
    Read(user, "[PipeOption]\nTheme=dark\n");
    ClientSettings settings;
    ReadAppIni(app, settings);
    ReadUserIni(user, settings);
    EXPECT_FALSE(settings.language);
    EXPECT_EQ(ClientViewLines(settings, "Z"),
              (std::vector<std::string>{"Z", "Site: none", "Operator: none", "Language: none"}));
    settings.language = 99;
    EXPECT_EQ(ClientViewLines(settings, "Z")[3], "Language: 99");
}

}  // namespace
