#include "installer/core/messageformat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Format(const std::string& pattern, const std::vector<PString>& args,
                   const PString& start = PString()) {
    std::vector<const PString*> pointers;
    for (const PString& a : args) pointers.push_back(&a);
    PString out = start;
    FormatMessageText(out, pattern, pointers.data(), static_cast<int>(pointers.size()));
    return std::string(out.view());
}

}  // namespace

TEST(MessageFormat, Placeholders) {
    struct Case {
        const char* pattern;
        std::vector<PString> args;
        const char* expected;
    } cases[] = {
        {"Install %0 Software", {"Zembrico"}, "Install Zembrico Software"},
        {"100%% sure", {}, "100% sure"},
        {"a%1b", {"x"}, "ab"},
        {"%1 and %0", {"x", "y"}, "y and x"},
        {"%L0 / %l0", {"English"}, "english / english"},
        {"%L1.", {"X"}, "."},
        {"drop %x here", {"a"}, "drop  here"},
        {"%Lx", {"a"}, "x"},
        {"%L%0", {"a"}, "a"},
        {"cut %", {"a"}, "cut "},
        {"cut %L", {"a"}, "cut "},
        {"%%%0%%", {"v"}, "%v%"},
        {"\xC9t\xE9 %L0",
         {"\xC9T\xC9 \x8A"},
         "\xC9t\xE9 \xE9t\xE9 \x9A"},  // byte-wise Windows-1252
        {"keeps \x81 bytes", {}, "keeps \x81 bytes"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(c.pattern, c.args), c.expected) << c.pattern;
}

TEST(MessageFormat, AWindows1252PatternWithAUtf8ArgumentBecomesMarkedUtf8) {
    // "Café %0" with a Cyrillic argument: both parts survive in the marked form.
    EXPECT_EQ(Format("Caf\xE9 %0!", {"\x10\xD0\x96\xD0\xB8"}),
              "\x10"
              "Caf\xC3\xA9 \xD0\x96\xD0\xB8!");
    // Lower case applies per code point in that mode.
    EXPECT_EQ(Format("%L0", {"\x10\xD0\x96\xC3\x89"}), "\x10\xD0\xB6\xC3\xA9");
}

TEST(MessageFormat, AMarkedArgumentThatFitsWindows1252StaysSingleByte) {
    EXPECT_EQ(Format("%0", {"\x10\xC3\xA9"}), "\xE9");
}

TEST(MessageFormat, AppendsToAMarkedOutputAsUtf8) {
    EXPECT_EQ(Format("\xE9", {}, PString("\x10\xD0\x96")), "\x10\xD0\x96\xC3\xA9");
}
