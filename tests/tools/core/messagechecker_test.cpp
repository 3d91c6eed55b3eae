#include "tools/core/messagechecker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kEnglish[] =
    "# reference\n"
    "en TXTINS_Cancel 0 Cancel\n"
    "en TXTINS_Space_requiredX_N0_N1 0 Space required: %0 %1\n"
    "en TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL 1 I agree to terms of the %0 <a>General "
    "Terms</a>\n"
    "en TXTINS_Registry_write_errorX_This_may_ELL 0 Registry write error!\\n\\nPlease retry.\n"
    "en TXTINS_Lang_French 2 French\n"
    "en TXTINS_Cannot_open_file_XN0X 0 Cannot open file '%L0'\n";

MessageCheckResult CheckFrench(const std::string& french) {
    return CheckMessageSources({{"en.txt", kEnglish}, {"fr.txt", french}});
}

}  // namespace

TEST(MessageChecker, SoundTranslationsPassAndLinesAreCountedPerLanguage) {
    const MessageCheckResult result = CheckFrench(
        "# French\n"
        "\n"
        "fr TXTINS_Cancel 0 Annuler\n"
        "fr TXTINS_Space_requiredX_N0_N1 0 Espace requis : %1 %0 (100 %%)\r\n"
        "fr TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL 1 J'accepte les <a>Conditions</a> de %0\n"
        "fr TXTINS_Registry_write_errorX_This_may_ELL 0 Erreur !\\n\\nR\xC3\xA9"
        "essayez.\n"
        "fr\tTXTINS_Lang_French  2 Fran\xC3\xA7"
        "ais\n"
        "fr TXTINS_Cannot_open_file_XN0X 0 Impossible d'ouvrir '%0' ou '%l0'");
    EXPECT_EQ(result.problems, std::vector<std::string>{});
    EXPECT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.lines.at("en"), 6u);
    EXPECT_EQ(result.lines.at("fr"), 6u);
}

TEST(MessageChecker, EachBrokenLineIsReportedWithItsPlace) {
    const struct {
        const char* line;
        const char* problem;
    } cases[] = {
        {"fr TXTINS_Cancel 0", "a field or the text is missing"},
        {"fr TXTINS_Cancel 0 ", "a field or the text is missing"},
        {"fr TXTINS_Cancel 0  \t ", "empty text"},
        {"xx TXTINS_Cancel 0 Annuler", "unknown language code 'xx'"},
        {"fr TXTINS_Cancle 0 Annuler", "unknown key TXTINS_Cancle"},
        {"fr TXTINS_Cancel 2 Annuler", "flag 2, expected 0"},
        {"fr TXTINS_Lang_French 0 Fran\xC3\xA7"
         "ais",
         "flag 0, expected 2"},
        {"fr TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL 0 J'accepte les <a>Conditions</a> de %0",
         "flag 0, expected 1"},
        {"fr TXTINS_OK 0 D'accord", "no English text for TXTINS_OK"},
        {"fr TXTINS_Cancel 0 Annul\xC3(", "malformed UTF-8"},
        {"fr TXTINS_Cancel 0 100% annul\xC3\xA9", "a '%' that is not a placeholder (%% for '%')"},
        {"fr TXTINS_Cancel 0 Annuler %", "a '%' that is not a placeholder (%% for '%')"},
        {"fr TXTINS_Space_requiredX_N0_N1 0 Espace requis : %0",
         "placeholders differ from English (expected: %0 %1)"},
        {"fr TXTINS_Space_requiredX_N0_N1 0 Espace requis : %0 %1 %2",
         "placeholders differ from English (expected: %0 %1)"},
        {"fr TXTINS_Cannot_open_file_XN0X 0 Impossible d'ouvrir '%1'",
         "placeholders differ from English (expected: %0)"},
        {"fr TXTINS_Cancel 0 Annuler %0", "placeholders differ from English (expected: none)"},
        {"fr TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL 1 J'accepte les Conditions de %0",
         "link mark-up differs from English"},
        {"fr TXTINS_I_agree_to_terms_of_the_N0_XaX_ELL 1 J'accepte les <a> </a>Conditions de %0",
         "<a> not closed by </a> around some words"},
        {"fr TXTINS_Registry_write_errorX_This_may_ELL 0 Erreur ! R\xC3\xA9"
         "essayez.",
         "escaped line breaks differ from English (expected 2 \\n, 0 \\r)"},
        {"fr TXTINS_Registry_write_errorX_This_may_ELL 0 Erreur !\\r\\n\\r\\nR\xC3\xA9"
         "essayez.",
         "escaped line breaks differ from English (expected 2 \\n, 0 \\r)"},
    };
    for (const auto& c : cases) {
        const MessageCheckResult result = CheckFrench(std::string("# French\n") + c.line + "\n");
        EXPECT_EQ(result.problems, std::vector<std::string>{std::string("fr.txt:2: ") + c.problem})
            << c.line;
    }
}

TEST(MessageChecker, ASecondLineForAKeyIsReportedAcrossSources) {
    const MessageCheckResult result = CheckMessageSources({
        {"en.txt", kEnglish},
        {"fr.txt", "fr TXTINS_Cancel 0 Annuler\n"},
        {"fr-more.txt", "\nfr TXTINS_Cancel 0 Annuler encore\n"},
        {"en-more.txt", "en TXTINS_Cancel 0 Cancel again\n"},
    });
    EXPECT_EQ(result.problems,
              (std::vector<std::string>{
                  "fr-more.txt:2: second line for TXTINS_Cancel (first: fr.txt:1)",
                  "en-more.txt:1: second line for TXTINS_Cancel (first: en.txt:2)"}));
}

TEST(MessageChecker, EnglishLinesAreCheckedOnTheirOwn) {
    const MessageCheckResult result = CheckMessageSources(
        {{"en.txt", "en TXTINS_Cancel 1 Cancel 50%\nen TXTINS_Lang_French 2 <a>French\n"}});
    EXPECT_EQ(result.problems,
              (std::vector<std::string>{"en.txt:1: flag 1, expected 0",
                                        "en.txt:1: a '%' that is not a placeholder (%% for '%')",
                                        "en.txt:2: <a> not closed by </a> around some words"}));
}
