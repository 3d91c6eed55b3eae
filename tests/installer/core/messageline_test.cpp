#include "installer/core/messageline.h"

#include <gtest/gtest.h>

#include <string>

TEST(MessageLine, SplitsTheFourFields) {
    struct Case {
        const char* line;
        const char* language;
        const char* key;
        std::uint32_t flag;
        const char* text;
    } cases[] = {
        {"en TXTINS_OK 0 OK", "en", "TXTINS_OK", 0, "OK"},
        {"  \tpt-BR\t\tTXTINS_Yes  2 Sim", "pt-BR", "TXTINS_Yes", 2, "Sim"},
        // Only one blank ends the flag: a second becomes the text's first character.
        {"de K 0  two blanks ", "de", "K", 0, " two blanks "},
        {"de K 0\tx", "de", "K", 0, "x"},
        {"es-419 K 12abc # not a comment", "es-419", "K", 12, "# not a comment"},
        {"en K x9 y", "en", "K", 0, "y"},
    };
    for (const Case& c : cases) {
        MessageLine out;
        ASSERT_EQ(ParseMessageLine(c.line, out), MessageLineKind::kText) << c.line;
        EXPECT_EQ(out.language, c.language) << c.line;
        EXPECT_EQ(out.key, c.key) << c.line;
        EXPECT_EQ(out.flag, c.flag) << c.line;
        EXPECT_EQ(out.text, c.text) << c.line;
    }
}

TEST(MessageLine, CommentsAndBlankLinesAreIgnored) {
    for (const char* line :
         {"# THIS IS A GENERATED FILE! DO NOT EDIT!", "   # indented", "\t#", "", "  \t "}) {
        MessageLine out;
        EXPECT_EQ(ParseMessageLine(line, out), MessageLineKind::kIgnored) << line;
    }
}

TEST(MessageLine, AMissingFieldOrTextIsAnError) {
    for (const char* line :
         {"en", "en ", "en TXTINS_OK", "en TXTINS_OK  ", "en TXTINS_OK 0", "en TXTINS_OK 0 "}) {
        MessageLine out;
        EXPECT_EQ(ParseMessageLine(line, out), MessageLineKind::kError) << '"' << line << '"';
    }
}

TEST(MessageLine, EscapesBecomeLineBreaks) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"a\\nb", "a\nb"}, {"\\r\\n", "\r\n"},   {"end\\", "end\\"}, {"c:\\temp", "c:\\temp"},
        {"\\\\n", "\\\n"}, {"\\t\\x", "\\t\\x"}, {"\\n\\n", "\n\n"}, {"", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        ResolveMessageEscapes(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}
