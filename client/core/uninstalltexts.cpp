#include "client/core/uninstalltexts.h"

#include "installer/core/languagetable.h"
#include "installer/core/programtext.h"

namespace {

struct Translation {
    std::string_view code;
    std::string_view texts[5];  // UTF-8, in the order of UninstallText
};

constexpr Translation kTranslations[] = {
    {"en",
     {"Do you want to completely remove %0 from your computer?\n\nYour own settings are kept.",
      "%0 is running.\n\nPlease close it before removing it.", "%0 was removed from your computer.",
      "Some parts of %0 could not be removed. The details are in the log file:\n%1",
      "%0 is not installed on this computer."}},
    {"de",
     {"Möchten Sie %0 vollständig von Ihrem Computer entfernen?\n\nIhre eigenen Einstellungen "
      "bleiben erhalten.",
      "%0 wird gerade ausgeführt.\n\nBitte beenden Sie das Programm, bevor Sie es entfernen.",
      "%0 wurde von Ihrem Computer entfernt.",
      "Einige Teile von %0 konnten nicht entfernt werden. Einzelheiten stehen in der "
      "Protokolldatei:\n%1",
      "%0 ist auf diesem Computer nicht installiert."}},
    {"fr",
     {"Voulez-vous supprimer complètement %0 de votre ordinateur ?\n\nVos propres réglages sont "
      "conservés.",
      "%0 est en cours d'exécution.\n\nVeuillez le fermer avant de le supprimer.",
      "%0 a été supprimé de votre ordinateur.",
      "Certains éléments de %0 n'ont pas pu être supprimés. Les détails figurent dans le fichier "
      "journal :\n%1",
      "%0 n'est pas installé sur cet ordinateur."}},
    {"es",
     {"¿Desea eliminar por completo %0 de su equipo?\n\nSe conservará su configuración personal.",
      "%0 se está ejecutando.\n\nCiérrelo antes de eliminarlo.", "%0 se ha eliminado de su equipo.",
      "Algunas partes de %0 no se han podido eliminar. Los detalles están en el archivo de "
      "registro:\n%1",
      "%0 no está instalado en este equipo."}},
};

const Translation* FindTranslation(int language) {
    if (language < 0 || language >= kLanguageCount) return nullptr;
    for (const Translation& t : kTranslations)
        if (t.code == kLanguageTable[language].code) return &t;
    return nullptr;
}

}  // namespace

std::string UninstallMessage(UninstallText which, int language, std::string_view arg0,
                             std::string_view arg1) {
    const Translation* translation = FindTranslation(language);
    if (!translation && language >= 0 && language < kLanguageCount)
        translation = FindTranslation(kLanguageTable[language].fallback);
    if (!translation) translation = &kTranslations[0];
    // Joined in UTF-8, so that an argument in either program encoding fits the template.
    const std::string_view text = translation->texts[static_cast<int>(which)];
    const std::string args[] = {ProgramTextToUtf8(arg0), ProgramTextToUtf8(arg1)};
    // Both arguments go in at once, so that a "%1" inside the first stays as it is.
    std::string result;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 1 < text.size() &&
            (text[at + 1] == '0' || text[at + 1] == '1')) {
            result += args[text[at + 1] - '0'];
            ++at;
        } else {
            result += text[at];
        }
    }
    return Utf8ToProgramText(result);
}
