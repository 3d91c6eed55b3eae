#include "installer/core/buildsettings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capturelog.h"
#include "installer/core/buildoptions.h"
#include "installer/core/languagelist.h"
#include "plib/encinifile.h"

namespace {

const char kOptions[] =
    "[define]\n"
    "name=Zembrico\n"
    "brand=Other\n"
    "workFolderName=ZembricoFolder\n"
    "oid=7\n"
    "[sites]\n"
    "site=BE_ZB_EXT\n"
    "SITE=fr\n"
    "site=NOSECTION\n"
    "other=DE\n"
    "[define.BE_ZB_EXT]\n"
    "name=Zembrico.Belgium\n"
    "iconIdx=x10\n"
    "backgroundIdx=1\n"
    "urlEula=https://r.example.com/v1/be-zb/1/@locale@/_/1/1/1/help_tos\n"
    "oname=UGFydG5lcg==\n"
    "[define.FR]\n"
    "name=Zembrico.FR\n"
    "[define.DE]\n"
    "name=Zembrico.DE\n";

struct Chosen {
    std::string section;
    InstallParameters params;
    std::vector<std::string> log;
    int sourceCalls = 0;
};

Chosen Choose(const char* text, const std::string& trackedSite) {
    Chosen result;
    ScopedCaptureLog log;
    EncIniFile options;
    options.readFromMemory(text, std::strlen(text));
    result.section = ChooseBuildSection(
        options,
        [&] {
            ++result.sourceCalls;
            return trackedSite;
        },
        result.params);
    result.log = log.lines();
    return result;
}

TEST(ChooseBuildSection, LowerCaseListedCodeSelectsItsSection) {
    const Chosen c = Choose(kOptions, "be_zb_ext");
    EXPECT_EQ(c.section, "define.BE_ZB_EXT");
    EXPECT_EQ(c.params.universal, 1);
    EXPECT_EQ(c.params.site, "BE_ZB_EXT");
    EXPECT_EQ(c.log, (std::vector<std::string>{
                         "Reading site from TINFO",
                         "Site from TINFO is:'be_zb_ext'",
                         "Verifying site value read from TINFO:'BE_ZB_EXT' against 4 listed sites",
                         "Site value found in list:'BE_ZB_EXT'",
                         "Site found in sites list",
                         "Config section 'define.BE_ZB_EXT' is available, using universal "
                         "installation",
                     }));
}

TEST(ChooseBuildSection, EntryKeyAndValueCompareWithoutCase) {
    const Chosen c = Choose(kOptions, "Fr");
    EXPECT_EQ(c.section, "define.FR");
    EXPECT_EQ(c.params.site, "FR");
    EXPECT_EQ(c.log.at(3), "Site value found in list:'fr'");
}

TEST(ChooseBuildSection, ListedCodeWithoutSectionKeepsDefine) {
    const Chosen c = Choose(kOptions, "nosection");
    EXPECT_EQ(c.section, "define");
    EXPECT_EQ(c.params.universal, 0);
    EXPECT_EQ(c.params.site, "");
    EXPECT_EQ(c.log.back(), "Site found in sites list");
}

TEST(ChooseBuildSection, UnlistedCodeKeepsDefineEvenWithASection) {
    const Chosen c = Choose(kOptions, "DE");  // only under another key
    EXPECT_EQ(c.section, "define");
    EXPECT_EQ(c.params.site, "");
    EXPECT_EQ(c.log.back(), "Site not found in sites list, proceeding with defaults");
}

TEST(ChooseBuildSection, NoTrackedSite) {
    const Chosen c = Choose(kOptions, "");
    EXPECT_EQ(c.section, "define");
    EXPECT_EQ(c.log, (std::vector<std::string>{"Reading site from TINFO", "Site from TINFO is:''",
                                               "No site value was read from TINFO"}));
}

TEST(ChooseBuildSection, WithoutSitesTheTrackingDataIsNotRead) {
    const Chosen c = Choose("[define]\nname=Zembrico\n[define.FR]\nname=x\n", "FR");
    EXPECT_EQ(c.section, "define");
    EXPECT_EQ(c.sourceCalls, 0);
    EXPECT_TRUE(c.log.empty());
}

struct Read {
    bool ok = false;
    InstallParameters params;
    BuildSettings settings;
    std::vector<std::string> log;
};

Read ReadOptions(const std::string& text, const std::string& trackedSite) {
    Read result;
    ScopedCaptureLog log;
    result.ok = ReadBuildOptions(
        text.data(), text.size(), [&] { return trackedSite; }, result.params, result.settings);
    result.log = log.lines();
    return result;
}

TEST(ReadBuildOptions, SiteSectionTakesDefaultsNotDefineValues) {
    const Read r = ReadOptions(kOptions, "BE_ZB_EXT");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.params.name, "Zembrico.Belgium");
    EXPECT_EQ(r.params.workFolderName, "Zembrico.Belgium");
    EXPECT_EQ(r.params.brand, "Zembrico");
    EXPECT_EQ(r.params.oid, "");
    EXPECT_EQ(r.params.iconIndex, 16);
    EXPECT_EQ(r.params.backgroundIndex, 1);
    EXPECT_EQ(r.params.iconPath, "Zembrico.exe");
    EXPECT_EQ(r.params.overrideUserIni, 1);
    EXPECT_EQ(r.params.oname, "Partner");
    EXPECT_EQ(r.settings.urlEula, "https://r.example.com/v1/be-zb/1/@locale@/_/1/1/1/help_tos");
    EXPECT_EQ(r.settings.siteAddress, "");
}

TEST(ReadBuildOptions, DefineValuesWithoutSite) {
    const Read r = ReadOptions(kOptions, "");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.params.name, "Zembrico");
    EXPECT_EQ(r.params.workFolderName, "ZembricoFolder");
    EXPECT_EQ(r.params.brand, "Other");
    EXPECT_EQ(r.params.oid, "7");
    EXPECT_EQ(r.params.universal, 0);
}

TEST(ReadBuildOptions, FailuresLogAndReportFalse) {
    const char* bad[] = {
        "[define]\nname=Zembrico\nno equals sign\n",  // malformed line
        "[other]\nname=Zembrico\n",                   // no section to read
        "[define]\nname=Zembrico\noname=/w==\n",      // oname is not UTF-8
    };
    for (const char* text : bad) {
        const Read r = ReadOptions(text, "");
        EXPECT_FALSE(r.ok) << text;
        ASSERT_FALSE(r.log.empty());
        EXPECT_EQ(r.log.back(), "Error read configuration") << text;
    }
}

std::string ShippedOptions() {
    std::ifstream in(ZB_TEST_DATA_DIR "/../../resources/buildoptions.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every listed site of the shipped file selects its own section, a build-table row that removes
// or replaces older editions, and languages that include English and the site's own.
TEST(ShippedBuildOptions, EverySiteHasACompleteSection) {
    const std::string text = ShippedOptions();
    ASSERT_FALSE(text.empty());
    EncIniFile options;
    options.readFromMemory(text.data(), text.size());
    const EncIniSection* sites = options.findSection("sites");
    ASSERT_NE(sites, nullptr);
    ASSERT_EQ(sites->items().size(), 43u);
    EXPECT_STREQ(sites->items().front().value.c_str(), "ARBA");
    EXPECT_STREQ(sites->items().back().value.c_str(), "USPA");

    for (const EncIniItem& item : sites->items()) {
        const std::string code = item.value.c_str();
        const Read r = ReadOptions(text, code);
        ASSERT_TRUE(r.ok) << code;
        EXPECT_EQ(r.params.site, code);
        EXPECT_EQ(r.params.name.rfind("Zembrico.", 0), 0u) << code;
        EXPECT_TRUE(r.settings.mainWindowClass.ends_with("VessantOnlinePokerLobbyWindowClass"));
        EXPECT_EQ(r.params.iconPath, "ZembricoUninstall.exe");
        EXPECT_EQ(r.params.minOsVersion, 10);
        EXPECT_EQ(r.params.minOsVersionName, "10");
        EXPECT_EQ(r.params.backgroundIndex, code.starts_with("BE") ? 1 : 0) << code;
        EXPECT_FALSE(r.settings.generalGaAccount.empty());

        std::string segment = code;
        for (char& c : segment) c = static_cast<char>(std::tolower(c));
        if (code.ends_with("_ZB_EXT")) segment = segment.substr(0, segment.find('_')) + "-zb";
        const std::string wv2 = "/v1/" + segment + "/1/@locale@/_/1/1/1/webview2-install-link";
        EXPECT_TRUE(r.settings.urlWV2Download.ends_with(wv2)) << r.settings.urlWV2Download;
        if (code == "USNJ" || code == "USPA") {
            EXPECT_EQ(r.settings.urlEula, "");
            EXPECT_FALSE(r.settings.siteAddress.empty());
        } else {
            const std::string eula = "/v1/" + segment + "/1/@locale@/_/1/1/1/help_tos";
            EXPECT_TRUE(r.settings.urlEula.ends_with(eula)) << r.settings.urlEula;
        }

        const BuildRow& row = BuildOptions::table()[BuildOptions::findRow(r.params.name)];
        const LanguageOffer offer(row.sites, row.suffix);
        EXPECT_TRUE(offer.offered(kLanguageEnglish)) << code;
        for (const PreferredLanguageRow& preferred : PreferredLanguageRows(row.suffix)) {
            // zh-CN and en-US are preferred by their sites but offered nowhere.
            const LanguageRecord& language = kLanguageTable[preferred.language];
            if (LanguageSiteSet(language.code) && (language.flags & kLanguageMayOffer)) {
                EXPECT_TRUE(offer.offered(preferred.language)) << code;
            }
        }
    }
}

}  // namespace
