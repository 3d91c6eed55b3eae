#include "installer/core/languagelist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capturelog.h"
#include "installer/core/buildoptions.h"
#include "installer/core/messagetable.h"
#include "plib/perror.h"

namespace {

int Lang(std::string_view code) {
    return FindLanguageCode(code);
}

LanguageOffer OfferFor(std::string_view name) {
    return LanguageOffer::ForRow(&BuildOptions::table()[BuildOptions::findRow(name)]);
}

std::vector<std::string_view> Listed(const LanguageOffer& offer) {
    std::vector<std::string_view> codes;
    LocaleIterator it(offer);
    for (it.begin(); !it.atEnd(); it.next()) codes.push_back(it.record().code);
    return codes;
}

PBitmask Bits(std::initializer_list<int> bits) {
    PBitmask set;
    for (int bit : bits) set.set(bit);
    return set;
}

TEST(LanguageOffer, ListOrderPutsPreferredFirstThenSortKeyThenIndex) {
    const std::vector<std::string_view> universal = {
        "en", "en-IN", "cs", "da", "de",    "el", "es", "es-419", "et", "fr", "it",
        "hu", "nl",    "pl", "pt", "pt-BR", "ro", "sv", "bg",     "ru", "uk", "ja"};
    EXPECT_EQ(Listed(OfferFor("Zembrico")), universal);

    std::vector<std::string_view> french = universal;
    std::erase(french, "fr");
    french.insert(french.begin(), "fr");
    EXPECT_EQ(Listed(OfferFor("Zembrico.France")), french);
}

TEST(LanguageOffer, OfferedNeedsMapSiteAndFlags) {
    const LanguageOffer all = OfferFor("Zembrico");
    for (const char* never : {"no", "fi", "en-GB", "en-US", "ko", "zh-CN", "sk", "hr"}) {
        EXPECT_FALSE(all.offered(Lang(never))) << never;
    }
    EXPECT_FALSE(all.offered(-1));
    EXPECT_FALSE(all.offered(kLanguageCount));
    EXPECT_TRUE(all.offered(Lang("ja")));  // 0xDC: state value 3 is not the withdrawn 1

    const LanguageOffer dutchOnly(Bits({1}), "");
    EXPECT_EQ(Listed(dutchOnly), std::vector<std::string_view>{"nl"});
    const LanguageOffer noEnglish(Bits({57}), "");
    EXPECT_FALSE(noEnglish.offered(kLanguageEnglish));
    EXPECT_TRUE(noEnglish.offered(Lang("de")));
    EXPECT_FALSE(noEnglish.offered(Lang("pl")) && noEnglish.offered(Lang("it")));
    // Bits of the upper words count too.
    EXPECT_TRUE(LanguageOffer(Bits({57}), "").offered(Lang("fr")));
    EXPECT_TRUE(Listed(LanguageOffer(Bits({2, 200}), "")).empty());
}

TEST(LanguageOffer, PreferredRowsOfASuffix) {
    const struct {
        const char* suffix;
        std::vector<int> languages;
    } cases[] = {
        {".FR", {Lang("fr")}},
        {".Germany", {Lang("de")}},
        {".RUSOPM", {Lang("ru")}},
        {".USMI", {Lang("en-US")}},
        {".ASIA", {Lang("zh-CN")}},
        {".COM", {}},
        {"", {}},
        {".fr", {}},
    };
    for (const auto& c : cases) {
        std::vector<int> found;
        for (const PreferredLanguageRow& row : PreferredLanguageRows(c.suffix)) {
            EXPECT_EQ(row.suffix, c.suffix);
            found.push_back(row.language);
        }
        EXPECT_EQ(found, c.languages) << c.suffix;
    }
}

TEST(LanguageOffer, InitialSelection) {
    const struct {
        const char* build;
        std::uint32_t lcid;
        const char* expected;
    } cases[] = {
        {"Zembrico.ES", 0x0C0A, "es"},   // Spanish, modern sort
        {"Zembrico.FR", 0x0409, "fr"},   // English system: the site's preferred language
        {"Zembrico.COM", 0x0409, "en"},  // no preferred rows: first by sort key
        {"Zembrico", 0x0416, "pt-BR"},
        {"Zembrico", 0x0816, "pt"},
        {"Zembrico.FR", 0x0414, "en"},    // Norwegian is never offered
        {"Zembrico", 0x00010407, "de"},   // German with phone-book sort
        {"Zembrico.USMI", 0x0409, "en"},  // preferred en-US is not offered
        {"Zembrico.DE", 0x0411, "ja"},
        {"Zembrico", 0x3C0A, "es"},  // not es-419: that one comes only from the list
    };
    for (const auto& c : cases) {
        const int chosen = OfferFor(c.build).initialSelection(c.lcid, kLanguageEnglish);
        ASSERT_GE(chosen, 0) << c.build;
        EXPECT_EQ(kLanguageTable[chosen].code, c.expected) << c.build << " " << c.lcid;
    }
    // Nothing offered, or no match: the current language stays.
    const LanguageOffer none(PBitmask(), ".FR");
    EXPECT_EQ(none.initialSelection(0x040C, 9), 9);
    EXPECT_EQ(OfferFor("Zembrico").initialSelection(0x0414, 5), 5);
}

TEST(SystemLanguageCode, Map) {
    const struct {
        std::uint32_t lcid;
        const char* code;
    } cases[] = {
        {0x0402, "bg"}, {0x1407, "de"}, {0x500A, "es"},    {0x180C, "fr"},    {0x101A, "hr"},
        {0x0812, "ko"}, {0x0814, "no"}, {0x0416, "pt-BR"}, {0x1004, "zh-CN"}, {0x1404, "zh-TW"},
        {0x0409, "en"}, {0x0809, "en"}, {0x4009, "en"},    {0x540A, "en"},    {0, "en"},
    };
    for (const auto& c : cases) EXPECT_EQ(SystemLanguageCode(c.lcid), c.code) << c.lcid;
}

TEST(LocaleIterator, RecordAtTheEndLogsAndAsserts) {
    ScopedCaptureLog log;
    const LanguageOffer none(PBitmask(), "");
    LocaleIterator it(none);
    it.begin();
    EXPECT_TRUE(it.atEnd());
    EXPECT_EQ(it.index(), kLanguageCount);
    EXPECT_THROW(it.record(), PAssert);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"LocaleIterator is not inited"});
}

TEST(LanguageNames, EastAsianNamesNeedSupport) {
    EXPECT_TRUE(CanShowOwnScript(Lang("ru"), false));
    EXPECT_TRUE(CanShowOwnScript(Lang("sk"), false));  // 0x40 is informational
    for (const char* code : {"ja", "zh-CN", "zh-TW", "ko"}) {
        EXPECT_FALSE(CanShowOwnScript(Lang(code), false)) << code;
        EXPECT_TRUE(CanShowOwnScript(Lang(code), true)) << code;
    }
    EXPECT_FALSE(CanShowOwnScript(kLanguageCount, true));

    const std::string text =
        "en TXTINS_Lang_Japanese 0 Japanese\n"
        "ja TXTINS_Lang_Japanese 0 \x10\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n"
        "en TXTINS_Lang_German 0 German\n"
        "de TXTINS_Lang_German 0 Deutsch\n"
        "fr TXTINS_Lang_German 0 Allemand\n";
    MessageTable table;
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::string error;
    ASSERT_GE(i18nLoadDynamicTable(table, reader, error), 0) << error;

    const auto listed = [&](const char* code, bool support) {
        PString out;
        AppendListedLanguageName(out, table, Lang(code), support);
        return std::string(out.view());
    };
    EXPECT_EQ(listed("de", false), "Deutsch");
    EXPECT_EQ(listed("ja", false), "Japanese");
    EXPECT_EQ(listed("ja", true), "\x10\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");

    PString in;
    AppendLanguageNameIn(in, table, Lang("de"), Lang("fr"));
    EXPECT_EQ(in.view(), "Allemand");
    PString none;
    AppendLanguageNameIn(none, table, kLanguageCount, Lang("fr"));
    EXPECT_TRUE(none.empty());
}

TEST(LanguageChangeEvent, Values) {
    const LanguageOffer offer = OfferFor("Zembrico.FR");
    const AnalyticsHit hit = LanguageChangeEvent(offer,
                                                 "Fran\xE7"
                                                 "ais",
                                                 Lang("de"));
    EXPECT_EQ(hit.type, AnalyticsHit::Type::Event);
    EXPECT_EQ(hit.category, "Installation_Language_Change_51569");
    EXPECT_EQ(hit.action,
              "Fran\xE7"
              "ais");
    EXPECT_EQ(hit.label, "German");
    EXPECT_EQ(hit.value, 0);
    EXPECT_EQ(LanguageChangeEvent(offer, "x", Lang("no")).label, "English");
    EXPECT_EQ(LanguageChangeEvent(offer, "x", -1).label, "English");
}

TEST(CurrentLanguage, StartsEnglishAndKeepsWhatIsSet) {
    EXPECT_EQ(CurrentLanguage(), kLanguageEnglish);
    SetCurrentLanguage(Lang("fr"));
    EXPECT_EQ(CurrentLanguage(), Lang("fr"));
    SetCurrentLanguage(kLanguageEnglish);
}

}  // namespace
