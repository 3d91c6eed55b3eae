#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "installer/core/analyticspayload.h"
#include "installer/core/languagetable.h"
#include "plib/pbitmask.h"
#include "plib/pstring.h"

class MessageTable;
struct BuildRow;

// The sites under which the language `code` may be offered, or null for a code that is never
// offered.
const PBitmask* LanguageSiteSet(std::string_view code);

// A site's preferred language: the build-table suffix and a language index.
struct PreferredLanguageRow {
    std::string_view suffix;
    int language;
};

// The rows whose suffix equals `suffix` (empty for a site without a preferred language).
std::span<const PreferredLanguageRow> PreferredLanguageRows(std::string_view suffix);

// Which languages one build offers, and in which order it lists them.
class LanguageOffer {
  public:
    // Offers the languages available under `sites`, putting the preferred languages of the
    // build-table row `suffix` first.
    LanguageOffer(const PBitmask& sites, std::string_view suffix);
    // The offer of a build-table row; null (no row selected) offers nothing.
    static LanguageOffer ForRow(const BuildRow* row);

    // A language below kLanguageCount whose code is available under a site of the build and
    // whose flags let the installer offer it (kLanguageMayOffer set, not withdrawn).
    bool offered(int language) const;
    bool preferred(int language) const;
    // List order: preferred languages first, then the smaller sort key, then the smaller index.
    // kLanguageCount sorts after every language.
    bool before(int a, int b) const;

    // The first offered language in list order, or kLanguageCount when there is none.
    int first() const { return after(-1); }
    // The offered language that follows `language` in list order (-1: the first one), or
    // kLanguageCount at the end.
    int after(int language) const;

    // The language to start with: the system locale's language (`lcid`), where English stands
    // for the first listed language; the first offered language in list order with that code.
    // `current` when none has it.
    int initialSelection(std::uint32_t lcid, int current) const;

  private:
    PBitmask sites_;
    std::span<const PreferredLanguageRow> preferred_;
};

// The offer of the process's build-table row, made on first use.
const LanguageOffer& TheLanguageOffer();

// Walks the offered languages in list order; position kLanguageCount is the end.
class LocaleIterator {
  public:
    explicit LocaleIterator(const LanguageOffer& offer) : offer_(offer) {}

    void begin() { index_ = offer_.first(); }
    void next() { index_ = offer_.after(index_); }
    bool atEnd() const noexcept { return index_ >= kLanguageCount; }
    int index() const noexcept { return index_; }
    // The language record at the position. At the end: logs "LocaleIterator is not inited"
    // and throws PAssert.
    const LanguageRecord& record() const;

  private:
    const LanguageOffer& offer_;
    int index_ = kLanguageCount;
};

// The language code of a Windows locale id; "en" for every locale without one of its own.
std::string_view SystemLanguageCode(std::uint32_t lcid) noexcept;

// Whether the language's name can be shown in its own script: always without
// kLanguageNeedsEastAsian; for Japanese, the Chinese languages and Korean when Windows has East
// Asian support (`eastAsianSupported`, the code page 50220 test); never for any other.
bool CanShowOwnScript(int language, bool eastAsianSupported) noexcept;

// Appends the language's name as the list shows it: in that language when it can show its own
// script, otherwise in English.
void AppendListedLanguageName(PString& out, const MessageTable& table, int language,
                              bool eastAsianSupported);

// Appends the name of language `named` in language `in`; nothing for `named` outside the table.
void AppendLanguageNameIn(PString& out, const MessageTable& table, int named, int in);

// The analytics event sent when the installation starts: category
// "Installation_Language_Change_51569", action the listed name of the language selected when
// the list was filled, label the English name of `current` ("English" when it is not offered),
// value 0.
AnalyticsHit LanguageChangeEvent(const LanguageOffer& offer, std::string_view initialListedName,
                                 int current);

// The process-wide current language, 0 (English) at start; -1 means none (lookups read
// English). Written on the main thread only.
int CurrentLanguage() noexcept;
void SetCurrentLanguage(int language) noexcept;
