#include "installer/core/languagetable.h"

#include <gtest/gtest.h>

#include <string>

TEST(LanguageTable, CodesAreUniqueAndFoundExactly) {
    for (int i = 0; i < kLanguageCount; ++i) {
        EXPECT_EQ(FindLanguageCode(kLanguageTable[i].code), i) << kLanguageTable[i].code;
    }
    for (const char* code : {"", "EN", "pt-br", "zh", "es-41", "hi", "en "}) {
        EXPECT_EQ(FindLanguageCode(code), -1) << code;
    }
}

TEST(LanguageTable, FallbacksLeadToEnglishInAtMostTwoSteps) {
    EXPECT_EQ(kLanguageTable[FindLanguageCode("pt-BR")].fallback, FindLanguageCode("pt"));
    EXPECT_EQ(kLanguageTable[FindLanguageCode("es-419")].fallback, FindLanguageCode("es"));
    EXPECT_EQ(kLanguageTable[kLanguageEnglish].fallback, kLanguageEnglish);
    for (int i = 0; i < kLanguageCount; ++i) {
        const int once = kLanguageTable[i].fallback;
        EXPECT_EQ(kLanguageTable[once].fallback, kLanguageEnglish) << kLanguageTable[i].code;
    }
}

TEST(LanguageTable, NameKeysAreLanguageNamesAndDistinct) {
    for (int i = 0; i < kLanguageCount; ++i) {
        const MessageKey key = kLanguageTable[i].nameKey;
        std::string name;
        for (const auto& entry : kMessageKeyTable) {
            if (entry.id == key) name = entry.name;
        }
        EXPECT_EQ(name.rfind("TXTINS_Lang_", 0), 0u) << kLanguageTable[i].code;
        for (int j = 0; j < i; ++j) EXPECT_NE(kLanguageTable[j].nameKey, key);
    }
}

TEST(LanguageTable, EndRecordSortsAfterEveryLanguage) {
    const LanguageRecord& end = kLanguageTable[kLanguageCount];
    EXPECT_TRUE(end.code.empty());
    EXPECT_EQ(end.flags, 0);
    for (int i = 0; i < kLanguageCount; ++i) EXPECT_LT(kLanguageTable[i].sortKey, end.sortKey);
}

TEST(LanguageTable, OfferFlagsMarkTheWithdrawnAndEastAsianLanguages) {
    const auto flags = [](const char* code) {
        return kLanguageTable[FindLanguageCode(code)].flags;
    };
    // Japanese and Korean may be offered; the two Chinese variants may not.
    EXPECT_TRUE(flags("ja") & kLanguageMayOffer);
    EXPECT_FALSE(flags("zh-CN") & kLanguageMayOffer);
    for (const char* code : {"ja", "zh-CN", "zh-TW", "ko"}) {
        EXPECT_TRUE(flags(code) & kLanguageNeedsEastAsian) << code;
        EXPECT_NE(flags(code) & kLanguageStateMask, kLanguageWithdrawn) << code;
    }
    EXPECT_FALSE(flags("no") & kLanguageMayOffer);
    EXPECT_FALSE(flags("ru") & kLanguageNeedsEastAsian);
}
