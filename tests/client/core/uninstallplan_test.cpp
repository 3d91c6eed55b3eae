#include "client/core/uninstallplan.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Strings = std::vector<std::string>;

TEST(ParsePayloadList, KeepsSafeRelativePathsOnly) {
    const std::string text =
        "readme.txt\r\ndata\\client.ini\n\ndata/tables.dat\n..\\..\\Windows\\win.ini\n"
        "C:\\boot.ini\n\\root.txt\ncaf\xC3\xA9.txt\nlast";
    EXPECT_EQ(ParsePayloadList(text), (Strings{"readme.txt", "data\\client.ini", "data\\tables.dat",
                                               "caf\xE9.txt", "last"}));
    EXPECT_TRUE(ParsePayloadList("").empty());
}

TEST(ParsePayloadList, MalformedUtf8LineIsSkipped) {
    EXPECT_EQ(ParsePayloadList("a.txt\nbad\xC3\nb.txt\n"), (Strings{"a.txt", "b.txt"}));
}

TEST(PlanUninstall, RemovesWhatTheInstallationMade) {
    UninstallRecord record;
    record.installFolder = "C:\\Program Files\\Zembrico";
    record.fullDisplayName = "Zembrico Poker";
    record.groupFolder = "C:\\Start\\Programs\\Zembrico Poker";
    record.links = {"C:\\Desktop\\Zembrico Poker.lnk", "C:\\Start\\Zembrico Poker.LNK"};
    const UninstallPlan plan = PlanUninstall(
        record, {"ZembricoUninstall.exe", "data\\cards\\a.dat", "data\\b.dat", "payload.lst"});
    const std::string in = record.installFolder + "\\";
    EXPECT_EQ(plan.files, (Strings{
                              "C:\\Desktop\\Zembrico Poker.lnk",
                              "C:\\Start\\Zembrico Poker.LNK",
                              record.groupFolder + "\\Zembrico Poker.lnk",
                              record.groupFolder + "\\Uninstall Zembrico Poker.lnk",
                              in + "Uninstall Zembrico Poker.lnk",
                              in + "ZembricoUninstall.exe",
                              in + "data\\cards\\a.dat",
                              in + "data\\b.dat",
                              in + "payload.lst",
                              in + "tinfo.dat",
                              in + "app.ini",
                              in + "Install.log",
                          }));
    EXPECT_EQ(plan.folders,
              (Strings{record.groupFolder, in + "data\\cards", in + "data", record.installFolder}));
}

// The shortcuts and the group carry the display name in the form the registration gave them.
TEST(PlanUninstall, NamesShortcutsAsTheRegistrationDid) {
    UninstallRecord record;
    record.installFolder = "C:\\Z";
    record.fullDisplayName = "Zembrico Poker - Royal Casino A/S";
    record.groupFolder = "C:\\Programs\\Zembrico Poker - Royal Casino A_S";
    const UninstallPlan plan = PlanUninstall(record, {});
    EXPECT_EQ(plan.files,
              (Strings{
                  record.groupFolder + "\\Zembrico Poker - Royal Casino A_S.lnk",
                  record.groupFolder + "\\Uninstall Zembrico Poker - Royal Casino A_S.lnk",
                  "C:\\Z\\Uninstall Zembrico Poker - Royal Casino A_S.lnk",
                  "C:\\Z\\tinfo.dat",
                  "C:\\Z\\app.ini",
                  "C:\\Z\\Install.log",
                  "C:\\Z\\payload.lst",
              }));
    record.fullDisplayName = "Zembrico Poker - Acme Ltd.";
    EXPECT_EQ(PlanUninstall(record, {}).files[2], "C:\\Z\\Uninstall Zembrico Poker - Acme Ltd.lnk");
}

TEST(PlanUninstall, LeavesUserSettingsAndForeignFilesAlone) {
    UninstallRecord record;
    record.installFolder = "C:\\Z";
    record.fullDisplayName = "Z";
    // A recorded value that is not a shortcut is never deleted.
    record.links = {"C:\\Windows\\system.ini", "", "C:\\Desktop\\Z.lnk"};
    const UninstallPlan plan =
        PlanUninstall(record, {"user.ini", "cfg\\USER.INI", "user.ini.bak", "a.txt", "a.txt"});
    for (const std::string& file : plan.files) {
        EXPECT_EQ(file.find("system.ini"), std::string::npos);
        EXPECT_EQ(file.find("user.ini"), std::string::npos) << file;
        EXPECT_EQ(file.find("USER.INI"), std::string::npos) << file;
    }
    EXPECT_EQ(std::count(plan.files.begin(), plan.files.end(), "C:\\Z\\a.txt"), 1);
    EXPECT_EQ(plan.files.front(), "C:\\Desktop\\Z.lnk");
    EXPECT_TRUE(plan.folders == (Strings{"C:\\Z\\cfg", "C:\\Z"}));
}

TEST(PlanUninstall, WithoutInstallFolderOnlyShortcutsAndGroup) {
    UninstallRecord record;
    record.fullDisplayName = "Z";
    record.groupFolder = "C:\\G\\Z";
    record.links = {"C:\\D\\Z.lnk"};
    const UninstallPlan plan = PlanUninstall(record, {"a.txt"});
    EXPECT_EQ(plan.files,
              (Strings{"C:\\D\\Z.lnk", "C:\\G\\Z\\Z.lnk", "C:\\G\\Z\\Uninstall Z.lnk"}));
    EXPECT_EQ(plan.folders, Strings{"C:\\G\\Z"});
}

}  // namespace
