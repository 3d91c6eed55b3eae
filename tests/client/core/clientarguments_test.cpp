#include "client/core/clientarguments.h"

#include <gtest/gtest.h>

#include "installer/core/registrationplan.h"

namespace {

TEST(LauncherOperatorId, FindsTheOidAfterTheProgramName) {
    struct Case {
        const char* line;
        const char* oid;
    };
    const Case cases[] = {
        {"ZembricoUpdate.exe --o:77", "77"},
        {"ZembricoUpdate.exe", ""},
        {"\"C:\\Program Files\\Zembrico\\ZembricoUpdate.exe\" --o:abc", "abc"},
        // The quoted program name is not searched, even when it holds the switch.
        {"\"C:\\x --o:1\\Update.exe\"  -x  --o:2 --o:3", "2"},
        {"Update.exe --oid:5 -o:6", ""},
        {"Update.exe\t--o:", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(LauncherOperatorId(c.line), c.oid) << c.line;
}

TEST(ParseUninstallArguments, ReadsWhatTheRegistrationWrites) {
    InstallParameters params;
    params.displayName = "Zembrico Poker";
    params.oid = "77";
    params.installFolder = "C:\\Program Files\\Zembrico Poker";
    const RegistrationTexts texts = MakeRegistrationTexts(params);
    const auto args = ParseUninstallArguments(UninstallString(texts));
    ASSERT_TRUE(args);
    EXPECT_EQ(args->displayName, "Zembrico Poker");
    EXPECT_EQ(args->oid, "77");
    EXPECT_FALSE(args->originalProcess);
    EXPECT_EQ(UninstallKeyPath(*args), texts.key);

    params.oid.clear();
    const auto plain = ParseUninstallArguments(UninstallString(MakeRegistrationTexts(params)));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->displayName, "Zembrico Poker");
    EXPECT_EQ(plain->oid, "");
    EXPECT_EQ(UninstallKeyPath(*plain), MakeRegistrationTexts(params).key);
}

TEST(ParseUninstallArguments, SwitchesAndTheirLimits) {
    struct Case {
        const char* line;
        bool valid;
        const char* name;
        const char* oid;
    };
    const Case cases[] = {
        // The setup program's own way of running an uninstaller: an unquoted temporary copy.
        {"C:\\Temp\\_unps.exe /u:Zembrico Poker", true, "Zembrico Poker", ""},
        {"x.exe /o:5 /u:Name  ", true, "Name", "5"},
        {"x.exe /u:A/u:B", true, "A/u:B", ""},  // a switch needs a blank before it
        {"x.exe /u:", false, "", ""},
        {"x.exe /o:5", false, "", ""},
        {"x.exe", false, "", ""},
        {"\"C:\\dir /u:X\\Uninstall.exe\"", false, "", ""},
        {"x.exe /u:N /c:12x", false, "", ""},
        {"x.exe /u:N /c:", false, "", ""},
        // Quoted the way a shell quotes arguments with blanks.
        {"x.exe \"/u:Zembrico Poker\" \"/o:7\"", true, "Zembrico Poker", "7"},
        {"x.exe \"/u:Zembrico Poker\"", true, "Zembrico Poker", ""},
        {"x.exe a\"/u:N", false, "", ""},
        // A second switch of a kind never picks another product or key.
        {"x.exe /u:Zembrico Poker /o:x /u:Other Product", false, "", ""},
        {"x.exe /u:A /o:1 /o:2", false, "", ""},
        {"x.exe /u:A /c:1 \"/c:2\"", false, "", ""},
    };
    for (const Case& c : cases) {
        const auto args = ParseUninstallArguments(c.line);
        ASSERT_EQ(args.has_value(), c.valid) << c.line;
        if (!args) continue;
        EXPECT_EQ(args->displayName, c.name) << c.line;
        EXPECT_EQ(args->oid, c.oid) << c.line;
    }
}

TEST(ParseUninstallArguments, AnOidThatWouldAddASwitchIsNotRegistered) {
    InstallParameters params;
    params.displayName = "Zembrico Poker";
    params.installFolder = "C:\\Zembrico";
    for (const char* oid : {"x /u:Other Product", "x\"/u:Other", "x\ty", "x\\y"}) {
        params.oid = oid;
        const auto args = ParseUninstallArguments(UninstallString(MakeRegistrationTexts(params)));
        ASSERT_TRUE(args) << oid;
        EXPECT_EQ(args->displayName, "Zembrico Poker") << oid;
        EXPECT_EQ(args->oid, "") << oid;
        EXPECT_EQ(LauncherOperatorId(LaunchCommandLine(params)), "") << oid;
    }
}

// What the command processor hands the copy is the part from its quoted path on, up to "&".
std::string CopyCommandLine(const std::string& processorLine) {
    const size_t start = processorLine.find("/wait ") + 6;
    return processorLine.substr(start, processorLine.rfind(" & rd ") - start);
}

TEST(ContinuationCommandLine, RoundTripsThroughTheParser) {
    UninstallArguments args{"Zembrico Poker - A&B <x> ^|", "77", std::nullopt};
    const std::optional<std::string> line =
        ContinuationCommandLine("C:\\Windows\\system32\\cmd.exe", "C:\\Windows\\Temp\\zb-1\\u.exe",
                                "C:\\Windows\\Temp\\zb-1", args, 1234);
    ASSERT_TRUE(line);
    EXPECT_EQ(
        *line,
        "\"C:\\Windows\\system32\\cmd.exe\" /d /q /v:off /e:on /c start \"\" /wait "
        "\"C:\\Windows\\Temp\\zb-1\\u.exe\" \"/u:Zembrico Poker - A&B <x> ^|\" \"/o:77\" /c:1234 & "
        "rd /s /q \"C:\\Windows\\Temp\\zb-1\"");
    const auto parsed = ParseUninstallArguments(CopyCommandLine(*line));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->displayName, args.displayName);
    EXPECT_EQ(parsed->oid, "77");
    EXPECT_EQ(parsed->originalProcess, 1234u);

    args.oid.clear();
    const auto withoutOid = ContinuationCommandLine("cmd.exe", "c.exe", "f", args, 8);
    ASSERT_TRUE(withoutOid);
    EXPECT_EQ(CopyCommandLine(*withoutOid), "\"c.exe\" \"/u:Zembrico Poker - A&B <x> ^|\" /c:8");
}

// A quote would end a quoted text early, and "%" expands even inside quotes.
TEST(ContinuationCommandLine, RefusesTextsTheProcessorWouldRead) {
    const UninstallArguments plain{"Zembrico Poker", "", std::nullopt};
    EXPECT_TRUE(ContinuationCommandLine("cmd.exe", "c.exe", "f", plain, 1));
    EXPECT_FALSE(ContinuationCommandLine("cmd.exe", "c.exe", "f",
                                         {"Zembrico \" & del x", "", std::nullopt}, 1));
    EXPECT_FALSE(
        ContinuationCommandLine("cmd.exe", "c.exe", "f", {"Zembrico %PATH%", "", std::nullopt}, 1));
    EXPECT_FALSE(
        ContinuationCommandLine("cmd.exe", "c.exe", "f", {"Zembrico", "%x%", std::nullopt}, 1));
    EXPECT_FALSE(ContinuationCommandLine("cmd.exe", "C:\\a%b\\c.exe", "f", plain, 1));
}

}  // namespace
