#include "installer/core/languagelist.h"

#include <array>
#include <atomic>
#include <initializer_list>

#include "installer/core/buildoptions.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/messagetable.h"
#include "plib/perror.h"

namespace {

struct AvailabilityEntry {
    std::string_view code;
    PBitmask sites;
};

PBitmask Sites(std::initializer_list<int> bits) {
    PBitmask set;
    for (int bit : bits) set.set(bit);
    return set;
}

// Sorted by code.
const std::array<AvailabilityEntry, 24>& AvailabilityMap() {
    static const std::array<AvailabilityEntry, 24> map = [] {
        const PBitmask onlyGlobal = Sites({24});
        const PBitmask western = Sites({24, 39, 44, 57});
        const PBitmask european = Sites({24, 29, 39, 44, 57});
        return std::array<AvailabilityEntry, 24>{{
            {"bg", european},
            {"cs", european},
            {"da", european},
            {"de", western},
            {"el", european},
            {"en", onlyGlobal},
            {"en-GB", european},
            {"en-IN", onlyGlobal},
            {"en-US", european},
            {"es", european},
            {"es-419", european},
            {"et", european},
            {"fr", western},
            {"hu", european},
            {"it", onlyGlobal},
            {"ja", european},
            {"nl", Sites({0, 1, 12, 24, 29, 39, 44, 57})},
            {"pl", Sites({0, 12, 24, 29, 39, 44, 57})},
            {"pt", european},
            {"pt-BR", european},
            {"ro", european},
            {"ru", european},
            {"sv", european},
            {"uk", european},
        }};
    }();
    return map;
}

constexpr int kJapanese = 16, kSimplifiedChinese = 17, kTraditionalChinese = 18, kKorean = 30;

// Rows of one site are adjacent.
constexpr std::array<PreferredLanguageRow, 30> kPreferredLanguages = {{
    {".ASIA", kSimplifiedChinese},
    {".BG", 19},
    {".Bulgaria", 19},
    {".CZ", 20},
    {".DE", 4},
    {".DESH", 4},
    {".Germany", 4},
    {".Denmark", 12},
    {".DK", 12},
    {".EE", 25},
    {".Estonia", 25},
    {".ES", 5},
    {".Spain", 5},
    {".FR", 3},
    {".France", 3},
    {".GR", 24},
    {".Greece", 24},
    {".IT", 9},
    {".Italy", 9},
    {".Netherlands", 8},
    {".NL", 8},
    {".Portugal", 7},
    {".PT", 7},
    {".RO", 21},
    {".Romania", 21},
    {".RUSO", 6},
    {".RUSOPM", 6},
    {".SE", 13},
    {".Sweden", 13},
    {".USMI", 2},
}};

struct LocaleCodes {
    std::string_view code;
    std::initializer_list<std::uint16_t> languageIds;
};

const LocaleCodes kSystemLocales[] = {
    {"bg", {0x0402}},
    {"cs", {0x0405}},
    {"da", {0x0406}},
    {"de", {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}},
    {"el", {0x0408}},
    {"es", {0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x280A,
            0x2C0A, 0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A}},
    {"et", {0x0425}},
    {"fi", {0x040B}},
    {"fr", {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x180C}},
    {"hr", {0x041A, 0x101A}},
    {"hu", {0x040E}},
    {"it", {0x0410, 0x0810}},
    {"ja", {0x0411}},
    {"ko", {0x0412, 0x0812}},
    {"lt", {0x0427, 0x0827}},
    {"lv", {0x0426}},
    {"nl", {0x0413, 0x0813}},
    {"no", {0x0414, 0x0814}},
    {"pl", {0x0415}},
    {"pt", {0x0816}},
    {"pt-BR", {0x0416}},
    {"ro", {0x0418}},
    {"ru", {0x0419}},
    {"sl", {0x0424}},
    {"sv", {0x041D, 0x081D}},
    {"uk", {0x0422}},
    {"zh-CN", {0x0804, 0x1004}},
    {"zh-TW", {0x0404, 0x0C04, 0x1404}},
};

std::atomic<int> gCurrentLanguage{kLanguageEnglish};

}  // namespace

const PBitmask* LanguageSiteSet(std::string_view code) {
    for (const AvailabilityEntry& entry : AvailabilityMap()) {
        if (entry.code == code) return &entry.sites;
    }
    return nullptr;
}

std::span<const PreferredLanguageRow> PreferredLanguageRows(std::string_view suffix) {
    std::size_t begin = 0;
    while (begin < kPreferredLanguages.size() && kPreferredLanguages[begin].suffix != suffix) {
        ++begin;
    }
    std::size_t end = begin;
    while (end < kPreferredLanguages.size() && kPreferredLanguages[end].suffix == suffix) ++end;
    return std::span(kPreferredLanguages).subspan(begin, end - begin);
}

LanguageOffer::LanguageOffer(const PBitmask& sites, std::string_view suffix)
    : sites_(sites), preferred_(PreferredLanguageRows(suffix)) {}

LanguageOffer LanguageOffer::ForRow(const BuildRow* row) {
    return row ? LanguageOffer(row->sites, row->suffix) : LanguageOffer(PBitmask(), "");
}

bool LanguageOffer::offered(int language) const {
    if (language < 0 || language >= kLanguageCount) return false;
    const LanguageRecord& record = kLanguageTable[language];
    const PBitmask* sites = LanguageSiteSet(record.code);
    return sites && sites->intersects(sites_) && (record.flags & kLanguageMayOffer) &&
           (record.flags & kLanguageStateMask) != kLanguageWithdrawn;
}

bool LanguageOffer::preferred(int language) const {
    for (const PreferredLanguageRow& row : preferred_) {
        if (row.language == language) return true;
    }
    return false;
}

bool LanguageOffer::before(int a, int b) const {
    const bool preferA = preferred(a), preferB = preferred(b);
    if (preferA != preferB) return preferA;
    const int keyA = kLanguageTable[a].sortKey, keyB = kLanguageTable[b].sortKey;
    if (keyA != keyB) return keyA < keyB;
    return a < b;
}

int LanguageOffer::after(int language) const {
    int best = kLanguageCount;
    for (int i = 0; i < kLanguageCount; ++i) {
        if (offered(i) && (language < 0 || before(language, i)) && before(i, best)) best = i;
    }
    return best;
}

int LanguageOffer::initialSelection(std::uint32_t lcid, int current) const {
    std::string_view code = SystemLanguageCode(lcid);
    if (code == "en") code = kLanguageTable[first()].code;
    for (int i = first(); i < kLanguageCount; i = after(i)) {
        if (kLanguageTable[i].code == code) return i;
    }
    return current;
}

const LanguageOffer& TheLanguageOffer() {
    static const LanguageOffer offer = LanguageOffer::ForRow(TheBuildOptions().currentRow());
    return offer;
}

const LanguageRecord& LocaleIterator::record() const {
    if (atEnd()) EarlyLog("LocaleIterator is not inited");
    PASSERT(!atEnd());
    return kLanguageTable[index_];
}

std::string_view SystemLanguageCode(std::uint32_t lcid) noexcept {
    // The sort order in the upper bits (German phone book, traditional Spanish) does not
    // change the language.
    const std::uint16_t languageId = lcid & 0xFFFF;
    for (const LocaleCodes& entry : kSystemLocales) {
        for (std::uint16_t id : entry.languageIds) {
            if (id == languageId) return entry.code;
        }
    }
    return "en";
}

bool CanShowOwnScript(int language, bool eastAsianSupported) noexcept {
    if (language < 0 || language >= kLanguageCount) return false;
    if (!(kLanguageTable[language].flags & kLanguageNeedsEastAsian)) return true;
    const bool eastAsian = language == kJapanese || language == kSimplifiedChinese ||
                           language == kTraditionalChinese || language == kKorean;
    return eastAsian && eastAsianSupported;
}

void AppendListedLanguageName(PString& out, const MessageTable& table, int language,
                              bool eastAsianSupported) {
    const int in = CanShowOwnScript(language, eastAsianSupported) ? language : kLanguageEnglish;
    AppendLanguageNameIn(out, table, language, in);
}

void AppendLanguageNameIn(PString& out, const MessageTable& table, int named, int in) {
    if (named < 0 || named >= kLanguageCount) return;
    table.lookup(out, kLanguageTable[named].nameKey, in);
}

AnalyticsHit LanguageChangeEvent(const LanguageOffer& offer, std::string_view initialListedName,
                                 int current) {
    AnalyticsHit hit;
    hit.type = AnalyticsHit::Type::Event;
    hit.category = "Installation_Language_Change_51569";
    hit.action = initialListedName;
    hit.label = offer.offered(current) ? kLanguageTable[current].englishName : "English";
    hit.value = 0;
    return hit;
}

int CurrentLanguage() noexcept {
    return gCurrentLanguage.load(std::memory_order_relaxed);
}

void SetCurrentLanguage(int language) noexcept {
    gCurrentLanguage.store(language, std::memory_order_relaxed);
}
