#include "installer/core/windowsfilename.h"

#include <gtest/gtest.h>

namespace {

TEST(IsPlainFileName, NamesWindowsTakesAsOneFile) {
    const struct {
        const char* name;
        bool plain;
    } cases[] = {
        {"Zembrico Poker - Partner.lnk", true},
        {".profile", true},
        {"CONSOLE", true},
        {"COM10", true},
        {"Caf\xE9", true},               // Windows-1252
        {"\x10\xCE\x95\xCE\xBB", true},  // marked UTF-8
        {"", false},
        {".", false},
        {"..", false},
        {"a\\b", false},
        {"a/b", false},
        {"C:x", false},
        {"file:stream", false},
        {"a\"b", false},
        {"a<b", false},
        {"a|b", false},
        {"a?", false},
        {"a*", false},
        {"a\tb", false},
        {"a\x7F", false},
        {" lead", false},
        {"trail ", false},
        {"trail.", false},
        {"con", false},
        {"CON.lnk", false},
        {"Lpt1.txt", false},
        {"nul .txt", false},
        {"COM\xB9", false},               // superscript one
        {"\x10\xF0\x90\x81\x9C", false},  // U+1005C: Windows receives "\"
        {"\x10\xF0\x90\x80\xBA", false},  // U+1003A: ":"
    };
    for (const auto& c : cases) EXPECT_EQ(IsPlainFileName(c.name), c.plain) << c.name;
}

TEST(LiesDirectlyIn, OnlyOneNameBelowTheFolder) {
    EXPECT_TRUE(LiesDirectlyIn("C:\\U\\Desktop\\Z.lnk", "C:\\U\\Desktop"));
    EXPECT_TRUE(
        LiesDirectlyIn("\x10"
                       "C:\\U\\Desktop\\\xCE\x95.lnk",
                       "C:\\U\\Desktop"));
    EXPECT_FALSE(LiesDirectlyIn("C:\\U\\Desktop\\..\\Z.lnk", "C:\\U\\Desktop"));
    EXPECT_FALSE(LiesDirectlyIn("C:\\U\\Desktop\\", "C:\\U\\Desktop"));
    EXPECT_FALSE(LiesDirectlyIn("C:\\U\\DesktopX\\Z.lnk", "C:\\U\\Desktop"));
    EXPECT_FALSE(LiesDirectlyIn("C:\\U\\DesktopZ.lnk", "C:\\U\\Desktop"));
    EXPECT_FALSE(LiesDirectlyIn("\\Z.lnk", ""));
    EXPECT_FALSE(LiesDirectlyIn("C:\\U\\Z.lnk", "C:\\U\\Desktop"));
}

TEST(AsPlainFileName, ReplacesWhatWindowsRefusesAndTrimsTheEnds) {
    const struct {
        const char* name;
        const char* fileName;
    } cases[] = {
        {"Zembrico Poker - Partner", "Zembrico Poker - Partner"},
        {"Zembrico Poker - Royal Casino A/S", "Zembrico Poker - Royal Casino A_S"},
        {"Zembrico Poker - Acme Ltd.", "Zembrico Poker - Acme Ltd"},
        {"Zembrico Poker - S.p.A. ", "Zembrico Poker - S.p.A"},
        {"Z - Evil\\..\\..\\users", "Z - Evil_.._.._users"},
        {"Z - C:x<y>\"q\"|?*\tz", "Z - C_x_y__q_____z"},
        {"  Z . . ", "Z"},
        {"Caf\xE9 .", "Caf\xE9"},                                     // Windows-1252 stays so
        {"\x10Z - \xCE\x95/\xCE\xBB.", "\x10Z - \xCE\x95_\xCE\xBB"},  // marked UTF-8 too
        {"\x10Z\xF0\x90\x81\x9C", "Z_"},  // U+1005C: Windows would receive "\\"
        {"...", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AsPlainFileName(c.name), c.fileName) << c.name;
        const std::string fileName = AsPlainFileName(c.name);
        if (!fileName.empty()) {
            EXPECT_TRUE(IsPlainFileName(fileName)) << c.name;
        }
    }
}

}  // namespace
