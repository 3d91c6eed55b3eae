#include "installer/core/registrationplan.h"

#include <gtest/gtest.h>

#include "installer/core/windowsfilename.h"
#include "sampleparameters.h"

namespace {

InstallParameters Params() {
    return SampleInstallParameters();
}

TEST(RegistrationTexts, WithOnameAndOid) {
    InstallParameters p = Params();
    p.oname = "Partner";
    p.oid = "77";
    const RegistrationTexts t = MakeRegistrationTexts(p);
    EXPECT_EQ(t.fullDisplayName, "Zembrico Poker - Partner");
    EXPECT_EQ(t.iconFile, "C:\\Games\\Zembrico\\Zembrico.exe");
    EXPECT_EQ(t.uninstaller, "C:\\Games\\Zembrico\\ZembricoUninstall.exe");
    EXPECT_EQ(t.mainApp, "C:\\Games\\Zembrico\\ZembricoUpdate.exe");
    EXPECT_EQ(t.uninstallArgs, "/u:Zembrico Poker /o:77");
    EXPECT_EQ(t.mainAppArgs, "--o:77");
    EXPECT_EQ(t.key,
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zembrico Poker - 77");
    EXPECT_EQ(UninstallString(t),
              "\"C:\\Games\\Zembrico\\ZembricoUninstall.exe\" /u:Zembrico Poker /o:77");
}

TEST(RegistrationTexts, FoldersOutsideTheCodePageKeepTheirMarkerInFront) {
    // An install folder with Japanese characters (ゲーム) and a Cyrillic user's quick launch
    // folder (Иван), both marked UTF-8; an operator name in Windows-1252 ("Café").
    InstallParameters p = Params();
    p.installFolder =
        "\x10"
        "C:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0";
    p.quickLaunchFolder =
        "\x10"
        "C:\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";
    p.quickLaunchShortcut = true;
    p.oname = "Caf\xE9";
    const RegistrationTexts t = MakeRegistrationTexts(p);
    EXPECT_EQ(UninstallString(t),
              "\x10\"C:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\\ZembricoUninstall.exe\" "
              "/u:Zembrico Poker");
    const ShortcutPlan plan = PlanShortcuts(p, t);
    ASSERT_TRUE(plan.quickLaunch);
    EXPECT_EQ(plan.quickLaunch->file,
              "\x10"
              "C:\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\Zembrico Poker - Caf\xC3\xA9.lnk");
    EXPECT_EQ(plan.uninstallShortcut,
              "\x10"
              "C:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\\Uninstall Zembrico Poker - "
              "Caf\xC3\xA9.lnk");
}

// A real operator's name is the entry's display name as it is; the files named after it take
// its plain file-name form, the uninstall key and arguments do not carry it at all.
TEST(RegistrationTexts, OperatorNamesWithSlashOrTrailingDotNameFilesInTheirPlainForm) {
    InstallParameters p = Params();
    p.desktopShortcut = p.startMenuShortcut = p.quickLaunchShortcut = true;
    const struct {
        const char* oname;
        const char* fileName;
    } cases[] = {
        {"Royal Casino A/S", "Zembrico Poker - Royal Casino A_S"},
        {"Acme Ltd.", "Zembrico Poker - Acme Ltd"},
    };
    for (const auto& c : cases) {
        p.oname = c.oname;
        const RegistrationTexts t = MakeRegistrationTexts(p);
        EXPECT_EQ(t.fullDisplayName, std::string("Zembrico Poker - ") + c.oname);
        EXPECT_EQ(t.fileName, c.fileName);
        EXPECT_EQ(t.key, std::string(kUninstallKeyPrefix) + "Zembrico Poker");
        EXPECT_EQ(t.uninstallArgs, "/u:Zembrico Poker");
        const ShortcutPlan plan = PlanShortcuts(p, t);
        const std::string lnk = std::string(c.fileName) + ".lnk";
        EXPECT_EQ(plan.uninstallShortcut, "C:\\Games\\Zembrico\\Uninstall " + lnk);
        EXPECT_EQ(plan.groupFolder, std::string("C:\\U\\Programs\\") + c.fileName);
        EXPECT_EQ(plan.groupAppShortcut, plan.groupFolder + "\\" + lnk);
        EXPECT_EQ(plan.groupUninstallShortcut, plan.groupFolder + "\\Uninstall " + lnk);
        ASSERT_TRUE(plan.desktop && plan.startMenu && plan.quickLaunch) << c.oname;
        EXPECT_EQ(plan.desktop->file, "C:\\U\\Desktop\\" + lnk);
        EXPECT_EQ(plan.startMenu->file, "C:\\U\\Start Menu\\" + lnk);
        EXPECT_EQ(plan.quickLaunch->file, "C:\\U\\Quick Launch\\" + lnk);
    }
}

TEST(ShortcutPlan, NoGroupSaysWhy) {
    InstallParameters p = Params();
    p.programsFolder.clear();
    const ShortcutPlan unknown = PlanShortcuts(p, MakeRegistrationTexts(p));
    EXPECT_EQ(unknown.groupFolder, "");
    EXPECT_EQ(unknown.noGroupReason, "the programs folder is unknown");

    p = Params();
    p.displayName = "CON";
    const ShortcutPlan device = PlanShortcuts(p, MakeRegistrationTexts(p));
    EXPECT_EQ(device.groupFolder, "");
    EXPECT_EQ(device.noGroupReason, "the display name is not a plain folder name");

    EXPECT_EQ(PlanShortcuts(Params(), MakeRegistrationTexts(Params())).noGroupReason, "");
}

TEST(RegistrationTexts, WithoutOnameOrOid) {
    const RegistrationTexts t = MakeRegistrationTexts(Params());
    EXPECT_EQ(t.fullDisplayName, "Zembrico Poker");
    EXPECT_EQ(t.uninstallArgs, "/u:Zembrico Poker");
    EXPECT_EQ(t.mainAppArgs, "");
    EXPECT_EQ(t.key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zembrico Poker");
}

TEST(RegistrationTexts, OnlyOidLeavesDisplayNameAlone) {
    InstallParameters p = Params();
    p.oid = "9";
    const RegistrationTexts t = MakeRegistrationTexts(p);
    EXPECT_EQ(t.fullDisplayName, "Zembrico Poker");
    EXPECT_EQ(t.uninstallArgs, "/u:Zembrico Poker /o:9");
    EXPECT_EQ(t.key, std::string(kUninstallKeyPrefix) + "Zembrico Poker - 9");
}

TEST(RegistrationTexts, EmptyBrandPutsExecutablesDirectlyInFolder) {
    InstallParameters p = Params();
    p.brand = "";
    const RegistrationTexts t = MakeRegistrationTexts(p);
    EXPECT_EQ(t.uninstaller, "C:\\Games\\Zembrico\\Uninstall.exe");
    EXPECT_EQ(t.mainApp, "C:\\Games\\Zembrico\\Update.exe");
    EXPECT_EQ(LaunchCommandLine(p), "Update.exe");
}

TEST(LaunchCommandLine, FileNameAndOid) {
    InstallParameters p = Params();
    EXPECT_EQ(LaunchCommandLine(p), "ZembricoUpdate.exe");
    EXPECT_EQ(LaunchArguments(p), "");
    p.oid = "1234";
    EXPECT_EQ(LaunchCommandLine(p), "ZembricoUpdate.exe --o:1234");
    EXPECT_EQ(LaunchArguments(p), "--o:1234");
    EXPECT_EQ(MainAppPath(p), "C:\\Games\\Zembrico\\ZembricoUpdate.exe");
}

TEST(CtimeText, TwentyFiveCharactersInEnglish) {
    struct Case {
        int wday, mon, mday, hour, min, sec, year;
        const char* text;
    };
    const Case cases[] = {
        {2, 11, 8, 4, 14, 18, 2026, "Tue Dec  8 04:14:18 2026\n"},
        {0, 0, 31, 23, 59, 9, 2000, "Sun Jan 31 23:59:09 2000\n"},
        {6, 8, 1, 0, 0, 0, 1999, "Sat Sep  1 00:00:00 1999\n"},
    };
    for (const Case& c : cases) {
        std::tm tm{};
        tm.tm_wday = c.wday;
        tm.tm_mon = c.mon;
        tm.tm_mday = c.mday;
        tm.tm_hour = c.hour;
        tm.tm_min = c.min;
        tm.tm_sec = c.sec;
        tm.tm_year = c.year - 1900;
        const std::string text = CtimeText(tm);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(text.size(), 25u);
    }
}

TEST(CtimeText, OutOfRangeFieldsDoNotReadPastTables) {
    std::tm tm{};
    tm.tm_wday = 9;
    tm.tm_mon = -1;
    tm.tm_mday = 1;
    tm.tm_year = 100;
    EXPECT_EQ(CtimeText(tm), "??? ???  1 00:00:00 2000\n");
}

TEST(ShortcutPlan, PerUserChoices) {
    InstallParameters p = Params();
    p.desktopShortcut = p.startMenuShortcut = p.quickLaunchShortcut = 1;
    const ShortcutPlan plan = PlanShortcuts(p, MakeRegistrationTexts(p));
    EXPECT_EQ(plan.uninstallShortcut, "C:\\Games\\Zembrico\\Uninstall Zembrico Poker.lnk");
    EXPECT_EQ(plan.groupFolder, "C:\\U\\Programs\\Zembrico Poker");
    EXPECT_EQ(plan.groupValueName, "SMPGroup");
    EXPECT_EQ(plan.groupAppShortcut, "C:\\U\\Programs\\Zembrico Poker\\Zembrico Poker.lnk");
    EXPECT_EQ(plan.groupUninstallShortcut,
              "C:\\U\\Programs\\Zembrico Poker\\Uninstall Zembrico Poker.lnk");
    ASSERT_TRUE(plan.desktop && plan.startMenu && plan.quickLaunch);
    EXPECT_EQ(plan.desktop->file, "C:\\U\\Desktop\\Zembrico Poker.lnk");
    EXPECT_EQ(plan.desktop->valueName, "DTLink");
    EXPECT_EQ(plan.startMenu->file, "C:\\U\\Start Menu\\Zembrico Poker.lnk");
    EXPECT_EQ(plan.startMenu->valueName, "SMLink");
    EXPECT_EQ(plan.quickLaunch->file, "C:\\U\\Quick Launch\\Zembrico Poker.lnk");
    EXPECT_EQ(plan.quickLaunch->valueName, "QLLink");
}

TEST(ShortcutPlan, AllUsersUsesCommonFolders) {
    InstallParameters p = Params();
    p.oname = "X";
    p.allUsers = p.desktopShortcut = p.startMenuShortcut = 1;
    const ShortcutPlan plan = PlanShortcuts(p, MakeRegistrationTexts(p));
    EXPECT_EQ(plan.groupFolder, "C:\\All\\Programs\\Zembrico Poker - X");
    EXPECT_EQ(plan.groupValueName, "CSMPGroup");
    EXPECT_EQ(plan.desktop->file, "C:\\All\\Desktop\\Zembrico Poker - X.lnk");
    EXPECT_EQ(plan.startMenu->file, "C:\\All\\Start Menu\\Zembrico Poker - X.lnk");
    EXPECT_EQ(plan.startMenu->valueName, "CSMLink");
    EXPECT_FALSE(plan.quickLaunch);
}

TEST(ShortcutPlan, UnknownCommonFoldersFallBackToTheUsers) {
    InstallParameters p = Params();
    p.allUsers = p.desktopShortcut = p.startMenuShortcut = 1;
    p.commonProgramsFolder = p.commonDesktopFolder = p.commonStartMenuFolder = "";
    const ShortcutPlan plan = PlanShortcuts(p, MakeRegistrationTexts(p));
    EXPECT_EQ(plan.groupFolder, "C:\\U\\Programs\\Zembrico Poker");
    EXPECT_EQ(plan.groupValueName, "SMPGroup");
    EXPECT_EQ(plan.desktop->file, "C:\\U\\Desktop\\Zembrico Poker.lnk");
    EXPECT_EQ(plan.startMenu->file, "C:\\U\\Start Menu\\Zembrico Poker.lnk");
    EXPECT_EQ(plan.startMenu->valueName, "SMLink");
}

TEST(ShortcutPlan, ConditionsThatGiveNoShortcut) {
    InstallParameters p = Params();
    p.desktopShortcut = p.startMenuShortcut = p.quickLaunchShortcut = 1;
    p.oldWindows = 1;
    p.desktopFolder = "";
    p.quickLaunchFolder = "";
    const ShortcutPlan plan = PlanShortcuts(p, MakeRegistrationTexts(p));
    EXPECT_FALSE(plan.desktop);
    EXPECT_FALSE(plan.startMenu);
    EXPECT_FALSE(plan.quickLaunch);

    InstallParameters none = Params();
    const ShortcutPlan unchosen = PlanShortcuts(none, MakeRegistrationTexts(none));
    EXPECT_FALSE(unchosen.desktop || unchosen.startMenu || unchosen.quickLaunch);
}

TEST(RegistrationTexts, OidThatCouldActIsLeftOut) {
    InstallParameters p = Params();
    for (const char* oid : {"x\\y /u:Other Product", "a\"b", "a\tb", "a\x01"}) {
        p.oid = oid;
        const RegistrationTexts t = MakeRegistrationTexts(p);
        EXPECT_EQ(t.key, std::string(kUninstallKeyPrefix) + "Zembrico Poker") << oid;
        EXPECT_EQ(t.uninstallArgs, "/u:Zembrico Poker") << oid;
        EXPECT_EQ(t.mainAppArgs, "") << oid;
        EXPECT_EQ(LaunchCommandLine(p), "ZembricoUpdate.exe") << oid;
    }
}

// An operator name that holds a path names its shortcuts in its plain form: each one lies
// directly in its folder, never where the path points.
TEST(ShortcutPlan, NameThatWouldLeaveItsFolderStaysInIt) {
    // The last one is marked UTF-8 for U+1005C, which Windows receives as "\\".
    for (const char* oname : {"Evil\\..\\..\\users\\Public\\zbpwn", "C:\\x", "a:b", "x/y", "a\tb",
                              "\x10\xF0\x90\x81\x9C"}) {
        InstallParameters p = Params();
        p.oname = oname;
        p.desktopShortcut = p.startMenuShortcut = p.quickLaunchShortcut = 1;
        const RegistrationTexts t = MakeRegistrationTexts(p);
        EXPECT_TRUE(IsPlainFileName(t.fileName)) << oname;
        const ShortcutPlan plan = PlanShortcuts(p, t);
        EXPECT_TRUE(LiesDirectlyIn(plan.uninstallShortcut, p.installFolder)) << oname;
        EXPECT_TRUE(LiesDirectlyIn(plan.groupFolder, p.programsFolder)) << oname;
        EXPECT_TRUE(LiesDirectlyIn(plan.groupAppShortcut, plan.groupFolder)) << oname;
        EXPECT_TRUE(LiesDirectlyIn(plan.groupUninstallShortcut, plan.groupFolder)) << oname;
        ASSERT_TRUE(plan.desktop && plan.startMenu && plan.quickLaunch) << oname;
        EXPECT_TRUE(LiesDirectlyIn(plan.desktop->file, p.desktopFolder)) << oname;
        EXPECT_TRUE(LiesDirectlyIn(plan.startMenu->file, p.startMenuFolder)) << oname;
        EXPECT_TRUE(LiesDirectlyIn(plan.quickLaunch->file, p.quickLaunchFolder)) << oname;
    }
}

TEST(ShortcutPlan, DisplayNameThatIsADeviceGivesNoShortcut) {
    InstallParameters p = Params();
    p.displayName = "nul";
    p.desktopShortcut = 1;
    const ShortcutPlan plan = PlanShortcuts(p, MakeRegistrationTexts(p));
    EXPECT_EQ(plan.groupFolder, "");
    EXPECT_FALSE(plan.desktop);
    EXPECT_EQ(plan.uninstallShortcut, "C:\\Games\\Zembrico\\Uninstall nul.lnk");
}

TEST(ShortcutPlan, UnicodeOperatorNameJoinsIntoOneUtf8Text) {
    InstallParameters p = Params();
    p.oname = "\x10\xCE\x95\xCE\xBB";  // marked UTF-8 "Ελ"
    p.desktopShortcut = 1;
    const RegistrationTexts t = MakeRegistrationTexts(p);
    EXPECT_EQ(t.fullDisplayName, "\x10Zembrico Poker - \xCE\x95\xCE\xBB");
    const ShortcutPlan plan = PlanShortcuts(p, t);
    EXPECT_EQ(plan.groupFolder,
              "\x10"
              "C:\\U\\Programs\\Zembrico Poker - \xCE\x95\xCE\xBB");
    ASSERT_TRUE(plan.desktop);
    EXPECT_EQ(plan.desktop->file,
              "\x10"
              "C:\\U\\Desktop\\Zembrico Poker - \xCE\x95\xCE\xBB.lnk");
}

}  // namespace
