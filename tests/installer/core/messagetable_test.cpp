#include "installer/core/messagetable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "installer/core/languagetable.h"
#include "installer/core/programtext.h"
#include "plib/perror.h"
#include "tools/core/messagecompiler.h"

namespace {

MessageTable Load(const std::string& text) {
    MessageTable table;
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::string error;
    EXPECT_GE(i18nLoadDynamicTable(table, reader, error), 0) << error;
    return table;
}

std::string Lookup(const MessageTable& table, std::uint32_t key, int language) {
    PString out;
    table.lookup(out, key, language);
    return std::string(out.view());
}

std::string Lookup(const MessageTable& table, std::uint32_t key, int language, const char* arg) {
    PString out;
    table.lookup(out, key, language, PString(arg));
    return std::string(out.view());
}

const int kPt = FindLanguageCode("pt");
const int kPtBr = FindLanguageCode("pt-BR");
const int kEnGb = FindLanguageCode("en-GB");
const int kFr = FindLanguageCode("fr");

// The committed message-table source of one language (resources/messages/<code>.txt), or "".
std::string MessageSource(const std::string& code) {
    std::string path = ZB_TEST_DATA_DIR;
    path.replace(path.rfind("tests/data"), std::string::npos,
                 "resources/messages/" + code + ".txt");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "";
    std::string source;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) != 0;)
        source.append(buffer, n);
    std::fclose(file);
    return source;
}

const char kSample[] =
    "# THIS IS A GENERATED FILE! DO NOT EDIT!\r\n"
    "en TXTINS_Install_Zembrico_Software 0 Install %0 Software\r\n"
    "en TXTINS_OK 0 OK\r\n"
    "en TXTINS_Cancel 0 Cancel\r\n"
    "pt TXTINS_OK 0 OK-pt\r\n"
    "pt TXTINS_Yes 0 Sim\r\n"
    "pt-BR TXTINS_Yes 0 Sim-BR\r\n"
    "xx TXTINS_OK 0 unknown language\r\n"
    "en TXTINS_No_Such_Key 0 unknown key\r\n"
    "en TXTINS_Are_you_sure_you_wish_to_cance_ELL 0 Line one\\nLine two\r\n"
    "en TXTINS_Lang_English 2 English\r\n"
    "en TXTINS_Cancel 0 Cancel again\r\n";

// Per language: its name for itself, "Cancel", "Install %0 Software" with the product name,
// and a text with escaped line breaks (its first line).
struct Translation {
    const char* code;
    const char* ownName;
    const char* cancel;
    const char* installSoftware;
    const char* registryErrorFirstLine;
};
const Translation kTranslations[] = {
    {"fr", "Français", "Annuler", "Installer Zembrico",
     "Erreur d'écriture dans le registre\u00a0!"},
    {"ru", "Русский", "Отмена", "Установить Zembrico", "Ошибка записи в реестр!"},
    {"pl", "Polski", "Anuluj", "Zainstaluj Zembrico", "Błąd zapisu w rejestrze!"},
    {"el", "Ελληνικά", "Άκυρο", "Εγκατάσταση Zembrico", "Σφάλμα εγγραφής στο μητρώο!"},
    {"ja", "日本語", "キャンセル", "Zembrico のインストール", "レジストリへの書き込みエラーです。"},
    {"uk", "Українська", "Скасувати", "Встановити Zembrico", "Помилка запису до реєстру!"},
    {"bg", "Български", "Отказ", "Инсталиране на Zembrico",
     "Грешка при запис в системния регистър!"},
    {"cs", "Čeština", "Zrušit", "Instalovat Zembrico", "Chyba zápisu do registru!"},
    {"sk", "Slovenčina", "Zrušiť", "Inštalovať Zembrico", "Chyba zápisu do registra!"},
    {"hu", "Magyar", "Mégse", "Zembrico szoftver telepítése", "Hiba a beállításjegyzék írásakor!"},
    {"nl", "Nederlands", "Annuleren", "Zembrico installeren",
     "Fout bij schrijven naar het register!"},
    {"et", "Eesti", "Loobu", "Installi Zembrico", "Registrisse kirjutamise tõrge!"},
    {"ro", "Română", "Anulare", "Instalare Zembrico", "Eroare de scriere în registry!"},
    {"fi", "Suomi", "Peruuta", "Asenna Zembrico", "Virhe kirjoitettaessa rekisteriin!"},
    {"zh-CN", "简体中文", "取消", "安装 Zembrico", "注册表写入错误！"},
    {"de", "Deutsch", "Abbrechen", "Zembrico installieren",
     "Fehler beim Schreiben in die Registrierung!"},
    {"es", "Español", "Cancelar", "Instalar el software de Zembrico",
     "¡Error de escritura en el registro!"},
    {"pt", "Português", "Cancelar", "Instalar o software Zembrico", "Erro de escrita no registo!"},
    {"it", "Italiano", "Annulla", "Installa il software Zembrico",
     "Errore di scrittura nel Registro di sistema."},
    {"sv", "Svenska", "Avbryt", "Installera programmet Zembrico",
     "Fel vid skrivning till registret!"},
    {"da", "Dansk", "Annuller", "Installer Zembrico-softwaren",
     "Fejl under skrivning til registreringsdatabasen!"},
    {"no", "Norsk", "Avbryt", "Installer Zembrico-programvaren",
     "Feil ved skriving til registeret!"},
    {"hr", "Hrvatski", "Odustani", "Instaliraj softver Zembrico",
     "Pogreška pri pisanju u registar!"},
    {"sl", "Slovenščina", "Prekliči", "Namesti programsko opremo Zembrico",
     "Napaka pri pisanju v register!"},
    {"lv", "Latviešu", "Atcelt", "Instalēt Zembrico programmatūru", "Reģistra rakstīšanas kļūda!"},
    {"lt", "Lietuvių", "Atšaukti", "Įdiegti Zembrico programinę įrangą",
     "Rašymo į registrą klaida!"},
    {"ko", "한국어", "취소", "Zembrico 소프트웨어 설치", "레지스트리 쓰기 오류!"},
    {"zh-TW", "繁體中文", "取消", "安裝 Zembrico 軟體", "登錄寫入錯誤！"},
};

// Compiles the English source and every translation of kTranslations into one table and
// loads it into `loaded`.
void CompileEveryLanguage(MessageTable& loaded) {
    std::string table(kMessageTableBanner);
    std::vector<std::string> warnings;
    AppendMessageTableSource(table, MessageSource("en"), warnings);
    for (const auto& language : kTranslations) {
        const std::string source = MessageSource(language.code);
        ASSERT_FALSE(source.empty()) << language.code;
        AppendMessageTableSource(table, source, warnings);
    }
    EXPECT_TRUE(warnings.empty());
    const std::vector<std::uint8_t> resource = PackMessageTable(table);
    std::string error;
    ASSERT_TRUE(LoadMessageTableResource(
        resource.data(), static_cast<std::uint32_t>(resource.size()), loaded, error))
        << error;
}

}  // namespace

TEST(MessageTable, CommentsOnlyLoadsAndEveryLookupGivesThePlaceholder) {
    MessageTable table;
    const std::string text = "# one\r\n  # two\r\n\r\n";
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::string error;
    EXPECT_EQ(i18nLoadDynamicTable(table, reader, error), 2);
    EXPECT_TRUE(table.loaded());
    EXPECT_EQ(Lookup(table, TXTINS_OK, kFr), "LC_3_MSG_11 ");
    EXPECT_EQ(Lookup(table, TXTINS_Install_Zembrico_Software, 3, "Zembrico"),
              "LC_3_MSG_91 Zembrico ");
    PString two;
    table.lookup(two, TXTINS_OK, -1, PString("a"), PString("b"));
    EXPECT_EQ(two.view(), "LC_-1_MSG_11 a b ");
}

TEST(MessageTable, AMissingTextAbortsWithItsLineNumber) {
    MessageTable table = Load(kSample);
    const std::string text =
        "# c\r\nen TXTINS_OK 0 OK\r\n\r\nen TXTINS_Cancel 0\r\nen TXTINS_Yes 0 Yes";
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::string error;
    EXPECT_EQ(i18nLoadDynamicTable(table, reader, error), -1);
    EXPECT_EQ(error, "unexpected EOL on line 3");
    // The table loaded before stays.
    EXPECT_EQ(Lookup(table, TXTINS_OK, 0), "OK");
}

TEST(MessageTable, UnknownLanguagesAndKeysAreSkipped) {
    const std::string text = kSample;
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    MessageTable table;
    std::string error;
    EXPECT_EQ(i18nLoadDynamicTable(table, reader, error), 12);
    EXPECT_EQ(Lookup(table, TXTINS_OK, 0), "OK");
}

TEST(MessageTable, LookupFallsBackAlongTheLanguages) {
    const MessageTable table = Load(kSample);
    EXPECT_EQ(Lookup(table, TXTINS_Install_Zembrico_Software, kEnGb, "Zembrico"),
              "Install Zembrico Software");
    EXPECT_EQ(Lookup(table, TXTINS_Yes, kPtBr), "Sim-BR");
    EXPECT_EQ(Lookup(table, TXTINS_OK, kPtBr), "OK-pt");             // pt-BR -> pt
    EXPECT_EQ(Lookup(table, TXTINS_Cancel, kPtBr), "Cancel again");  // -> en; later line wins
    EXPECT_EQ(Lookup(table, TXTINS_OK, kPt), "OK-pt");
    EXPECT_EQ(Lookup(table, TXTINS_OK, -1), "OK");
    EXPECT_EQ(Lookup(table, TXTINS_OK, kLanguageCount), "OK");
    EXPECT_EQ(Lookup(table, TXTINS_Yes, 0), "LC_0_MSG_57 ");
    EXPECT_EQ(Lookup(table, TXTINS_Yes, kPtBr), "Sim-BR");
    ASSERT_NE(table.cell(0, TXTINS_Lang_English), nullptr);
    EXPECT_EQ(table.cell(0, TXTINS_Lang_English)->flag, 2u);
}

TEST(MessageTable, KeysZeroAndOutOfRangeLeaveTheOutputUnchanged) {
    const MessageTable table = Load(kSample);
    for (std::uint32_t key : {0u, kMessageKeyCount, 100000u}) {
        PString out("kept");
        table.lookup(out, key, 0, PString("x"));
        EXPECT_EQ(out.view(), "kept") << key;
    }
    PString out("kept");
    MessageTable().lookup(out, TXTINS_OK, 0);
    EXPECT_EQ(out.view(), "kept");
}

TEST(MessageTable, EscapedLineBreaksBecomeLineBreaks) {
    const MessageTable table = Load(kSample);
    EXPECT_EQ(Lookup(table, TXTINS_Are_you_sure_you_wish_to_cance_ELL, 0), "Line one\nLine two");
}

TEST(MessageTable, TheCompiledResourceLoadsAndDumpsBackToItsSource) {
    const std::string source =
        "# source comment\n"
        "en TXTINS_OK 0 OK\n"
        "fr TXTINS_OK 0 D\xC3\xA9j\xC3\xA0\n"  // fits Windows-1252
        "ru TXTINS_OK 0 \xD0\x9E\xD0\x9A\n"    // needs marked UTF-8
        "en TXTINS_Lang_English 2 English\\nnext\n";
    std::vector<std::string> warnings;
    const auto resource = CompileMessageTable(source, warnings);
    EXPECT_TRUE(warnings.empty());
    MessageTable table;
    std::string error;
    ASSERT_TRUE(LoadMessageTableResource(resource.data(),
                                         static_cast<std::uint32_t>(resource.size()), table, error))
        << error;
    EXPECT_EQ(table.cell(kFr, TXTINS_OK)->text, "D\xE9j\xE0");
    EXPECT_EQ(table.cell(FindLanguageCode("ru"), TXTINS_OK)->text, "\x10\xD0\x9E\xD0\x9A");
    EXPECT_EQ(Lookup(table, TXTINS_Lang_English, 0), "English\nnext");
    EXPECT_EQ(DumpMessageTable(resource.data(), static_cast<std::uint32_t>(resource.size())),
              "# THIS IS A GENERATED FILE! DO NOT EDIT!\n# Creator: zbmsgc\n"
              "en TXTINS_OK 0 OK\n"
              "fr TXTINS_OK 0 D\xC3\xA9j\xC3\xA0\n"
              "ru TXTINS_OK 0 \xD0\x9E\xD0\x9A\n"
              "en TXTINS_Lang_English 2 English\\nnext\n");
}

TEST(MessageTable, CompilerReportsBadLinesAndUnknownNames) {
    std::vector<std::string> warnings;
    CompileMessageTable("en TXTINS_OK 0 OK\nde TXTINS_Nope 0 x\nqq TXTINS_OK 0 y\n", warnings);
    EXPECT_EQ(warnings, (std::vector<std::string>{"line 2: unknown language or key",
                                                  "line 3: unknown language or key"}));
    try {
        CompileMessageTable("\n# x\nen TXTINS_OK 0\n", warnings);
        ADD_FAILURE();
    } catch (const PParserError& e) {
        EXPECT_STREQ(e.why(), "line 3: unexpected EOL");
    }
    EXPECT_THROW(CompileMessageTable("en TXTINS_OK 0 \xC3(\n", warnings), PI18NError);
}

TEST(MessageTable, ResourcesThatDoNotDecodeFailToLoad) {
    std::vector<std::string> warnings;
    const auto good = CompileMessageTable("en TXTINS_OK 0 OK\n", warnings);
    auto shortStream = good;
    shortStream[0] += 1;  // one byte more than the stream holds
    auto pastEnd = good;
    pastEnd[4] += 1;  // packed size beyond the resource
    auto badProperties = good;
    badProperties[8] = 0xFF;
    for (const auto& resource : {shortStream, pastEnd, badProperties,
                                 std::vector<std::uint8_t>(good.begin(), good.begin() + 7)}) {
        MessageTable table;
        std::string error;
        EXPECT_FALSE(LoadMessageTableResource(
            resource.data(), static_cast<std::uint32_t>(resource.size()), table, error));
        EXPECT_FALSE(table.loaded());
        EXPECT_FALSE(error.empty());
    }
}

TEST(MessageTable, TheEnglishSourceHasEveryKeyExactlyOnce) {
    const std::string source = MessageSource("en");
    ASSERT_FALSE(source.empty());
    std::vector<std::string> warnings;
    const auto resource = CompileMessageTable(source, warnings);
    EXPECT_TRUE(warnings.empty());
    MessageTable table;
    std::string error;
    ASSERT_TRUE(LoadMessageTableResource(
        resource.data(), static_cast<std::uint32_t>(resource.size()), table, error));
    for (std::uint32_t key = 1; key < kMessageKeyCount; ++key) {
        EXPECT_NE(table.cell(0, key), nullptr) << key;
    }
    EXPECT_EQ(Lookup(table, TXTINS_Click_XXNextXX_to_continueX, 0), "Click \"Next\" to continue.");
    EXPECT_EQ(Lookup(table, TXTINS_Install_Zembrico_Software, kEnGb, "Zembrico"),
              "Install Zembrico Software");
    EXPECT_EQ(table.cell(0, TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL)->flag, 1u);
}

TEST(MessageTable, TranslationsAreCompleteAndLookUpInTheirLanguage) {
    MessageTable loaded;
    ASSERT_NO_FATAL_FAILURE(CompileEveryLanguage(loaded));
    const auto text = [&](std::uint32_t key, int index) {
        PString out;
        loaded.lookup(out, key, index, PString("Zembrico"));
        return ProgramTextToUtf8(out.view());
    };
    for (const auto& language : kTranslations) {
        const int index = FindLanguageCode(language.code);
        ASSERT_GE(index, 0) << language.code;
        for (std::uint32_t key = 1; key < kMessageKeyCount; ++key) {
            if (loaded.cell(kLanguageEnglish, key)) {
                EXPECT_NE(loaded.cell(index, key), nullptr) << language.code << " " << key;
            }
        }
        EXPECT_EQ(text(kLanguageTable[index].nameKey, index), language.ownName);
        EXPECT_EQ(text(TXTINS_Cancel, index), language.cancel);
        EXPECT_EQ(text(TXTINS_Install_Zembrico_Software, index), language.installSoftware);
        const std::string registryError = text(TXTINS_Registry_write_errorX_This_may_ELL, index);
        EXPECT_EQ(registryError.substr(0, registryError.find('\n')),
                  language.registryErrorFirstLine);
        EXPECT_EQ(registryError.find("\n\n"), std::strlen(language.registryErrorFirstLine))
            << language.code;
    }
}

TEST(MessageTable, TheSourcesHoldEveryLanguageAndTheRegionalVariantsFallBack) {
    std::string table(kMessageTableBanner);
    std::vector<std::string> warnings;
    std::vector<int> withLines;
    for (int index = 0; index < kLanguageCount; ++index) {
        const std::string code(kLanguageTable[index].code);
        const std::string source = MessageSource(code);
        // The English variants are served by English.
        if (code.starts_with("en-")) {
            EXPECT_TRUE(source.empty()) << code;
            continue;
        }
        ASSERT_FALSE(source.empty()) << code;
        AppendMessageTableSource(table, source, warnings);
        withLines.push_back(index);
    }
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(withLines.size(), 31u);
    const std::vector<std::uint8_t> resource = PackMessageTable(table);
    MessageTable loaded;
    std::string error;
    ASSERT_TRUE(LoadMessageTableResource(
        resource.data(), static_cast<std::uint32_t>(resource.size()), loaded, error))
        << error;

    for (int index : withLines) {
        int texts = 0;
        for (std::uint32_t key = 1; key < kMessageKeyCount; ++key)
            texts += !!loaded.cell(index, key);
        EXPECT_GT(texts, 0) << kLanguageTable[index].code;
    }
    // A regional variant carries what differs; each of its other keys reads its base language.
    for (const auto& [variant, base] : {std::pair("pt-BR", "pt"), std::pair("es-419", "es")}) {
        const int v = FindLanguageCode(variant);
        const int b = FindLanguageCode(base);
        int fallbacks = 0;
        for (std::uint32_t key = 1; key < kMessageKeyCount; ++key) {
            // A line of its own says something other than the base language.
            if (loaded.cell(v, key) && loaded.cell(b, key)) {
                EXPECT_NE(Lookup(loaded, key, v), Lookup(loaded, key, b)) << variant << " " << key;
            }
            if (loaded.cell(v, key) || !loaded.cell(b, key)) continue;
            ++fallbacks;
            EXPECT_EQ(Lookup(loaded, key, v), Lookup(loaded, key, b)) << variant << " " << key;
        }
        EXPECT_GT(fallbacks, 0) << variant;
    }
}
