#include "client/core/uninstalltexts.h"

#include <gtest/gtest.h>

#include "installer/core/languagetable.h"

namespace {

int Language(const char* code) {
    return FindLanguageCode(code);
}

TEST(UninstallMessage, InTheRecordedLanguageWithFallbacks) {
    EXPECT_EQ(UninstallMessage(UninstallText::kNotFound, Language("en"), "Zembrico Poker"),
              "Zembrico Poker is not installed on this computer.");
    EXPECT_EQ(UninstallMessage(UninstallText::kRemoved, Language("de"), "Z"),
              "Z wurde von Ihrem Computer entfernt.");
    // Windows-1252 text: e acute is 0xE9.
    EXPECT_EQ(UninstallMessage(UninstallText::kRemoved, Language("fr"), "Z"),
              "Z a \xE9t\xE9 supprim\xE9 de votre ordinateur.");
    // Latin American Spanish falls back to Spanish; a language without texts to English.
    EXPECT_EQ(UninstallMessage(UninstallText::kRemoved, Language("es-419"), "Z"),
              UninstallMessage(UninstallText::kRemoved, Language("es"), "Z"));
    EXPECT_EQ(UninstallMessage(UninstallText::kRemoved, Language("ja"), "Z"),
              "Z was removed from your computer.");
    for (int outside : {-1, kLanguageCount, 1000})
        EXPECT_EQ(UninstallMessage(UninstallText::kRemoved, outside, "Z"),
                  "Z was removed from your computer.");
}

TEST(UninstallMessage, ArgumentsGoInOnceAndKeepTheirCharacters) {
    EXPECT_EQ(UninstallMessage(UninstallText::kIncomplete, 0, "%1", "C:\\log.txt"),
              "Some parts of %1 could not be removed. The details are in the log file:\n"
              "C:\\log.txt");
    // A marked UTF-8 name with a character outside Windows-1252 keeps it; the whole text then
    // becomes marked UTF-8.
    const std::string name =
        "\x10"
        "Poker \xE2\x82\xAC\xE2\x98\x83";
    const std::string text = UninstallMessage(UninstallText::kRemoved, Language("de"), name);
    EXPECT_EQ(text, "\x10Poker \xE2\x82\xAC\xE2\x98\x83 wurde von Ihrem Computer entfernt.");
}

}  // namespace
