#include "installer/core/languagetable.h"

const LanguageRecord kLanguageTable[kLanguageCount + 1] = {
    {/*fallback=*/0, "English", "en", /*sortKey=*/0, 0x04, TXTINS_Lang_English},  // 0
    {/*fallback=*/0, "English (United Kingdom)", "en-GB", /*sortKey=*/0, 0x00,
     TXTINS_Lang_English_UK},  // 1
    {/*fallback=*/0, "English (United States)", "en-US", /*sortKey=*/0, 0x00,
     TXTINS_Lang_English_US},                                                            // 2
    {/*fallback=*/0, "French", "fr", /*sortKey=*/7, 0x04, TXTINS_Lang_French},           // 3
    {/*fallback=*/0, "German", "de", /*sortKey=*/3, 0x04, TXTINS_Lang_German},           // 4
    {/*fallback=*/0, "Spanish", "es", /*sortKey=*/5, 0x04, TXTINS_Lang_Spanish},         // 5
    {/*fallback=*/0, "Russian", "ru", /*sortKey=*/23, 0x44, TXTINS_Lang_Russian},        // 6
    {/*fallback=*/0, "Portuguese", "pt", /*sortKey=*/16, 0x04, TXTINS_Lang_Portuguese},  // 7
    {/*fallback=*/0, "Dutch", "nl", /*sortKey=*/13, 0x04, TXTINS_Lang_Dutch},            // 8
    {/*fallback=*/0, "Italian", "it", /*sortKey=*/9, 0x04, TXTINS_Lang_Italian},         // 9
    {/*fallback=*/0, "Polish", "pl", /*sortKey=*/15, 0x44, TXTINS_Lang_Polish},          // 10
    {/*fallback=*/0, "Hungarian", "hu", /*sortKey=*/12, 0x44, TXTINS_Lang_Hungarian},    // 11
    {/*fallback=*/0, "Danish", "da", /*sortKey=*/2, 0x04, TXTINS_Lang_Danish},           // 12
    {/*fallback=*/0, "Swedish", "sv", /*sortKey=*/20, 0x04, TXTINS_Lang_Swedish},        // 13
    {/*fallback=*/0, "Finnish", "fi", /*sortKey=*/21, 0x04, TXTINS_Lang_Finnish},        // 14
    {/*fallback=*/0, "Norwegian", "no", /*sortKey=*/14, 0x00, TXTINS_Lang_Norwegian},    // 15
    {/*fallback=*/0, "Japanese", "ja", /*sortKey=*/25, 0xDC, TXTINS_Lang_Japanese},      // 16
    {/*fallback=*/0, "Simplified Chinese", "zh-CN", /*sortKey=*/26, 0xC0,
     TXTINS_Lang_Simplified_Chinese},  // 17
    {/*fallback=*/0, "Traditional Chinese", "zh-TW", /*sortKey=*/26, 0xC0,
     TXTINS_Lang_Traditional_Chinese},                                                   // 18
    {/*fallback=*/0, "Bulgarian", "bg", /*sortKey=*/22, 0x44, TXTINS_Lang_Bulgarian},    // 19
    {/*fallback=*/0, "Czech", "cs", /*sortKey=*/1, 0x44, TXTINS_Lang_Czech},             // 20
    {/*fallback=*/0, "Romanian", "ro", /*sortKey=*/17, 0x44, TXTINS_Lang_Romanian},      // 21
    {/*fallback=*/0, "Slovenian", "sl", /*sortKey=*/18, 0x44, TXTINS_Lang_Slovenian},    // 22
    {/*fallback=*/0, "Ukrainian", "uk", /*sortKey=*/24, 0x44, TXTINS_Lang_Ukrainian},    // 23
    {/*fallback=*/0, "Greek", "el", /*sortKey=*/4, 0x44, TXTINS_Lang_Greek},             // 24
    {/*fallback=*/0, "Estonian", "et", /*sortKey=*/6, 0x44, TXTINS_Lang_Estonian},       // 25
    {/*fallback=*/0, "Lithuanian", "lt", /*sortKey=*/11, 0x44, TXTINS_Lang_Lithuanian},  // 26
    {/*fallback=*/0, "Latvian", "lv", /*sortKey=*/10, 0x44, TXTINS_Lang_Latvian},        // 27
    {/*fallback=*/7, "Portuguese (Brazil)", "pt-BR", /*sortKey=*/16, 0x04,
     TXTINS_Lang_Portuguese_XBrazilX},                                              // 28
    {/*fallback=*/0, "Croatian", "hr", /*sortKey=*/8, 0x44, TXTINS_Lang_Croatian},  // 29
    {/*fallback=*/0, "Korean", "ko", /*sortKey=*/27, 0xD8, TXTINS_Lang_Korean},     // 30
    {/*fallback=*/5, "Spanish (Latin America)", "es-419", /*sortKey=*/5, 0x04,
     TXTINS_Lang_Spanish_419},                                                   // 31
    {/*fallback=*/0, "Slovak", "sk", /*sortKey=*/19, 0x40, TXTINS_Lang_Slovak},  // 32
    {/*fallback=*/0, "English (India)", "en-IN", /*sortKey=*/0, 0x04,
     TXTINS_Lang_English_IN},  // 33
    {/*fallback=*/0, "", "", /*sortKey=*/28, 0x00, TXTINS_EMPTY_STUB},
};

int FindLanguageCode(std::string_view code) {
    for (int i = 0; i < kLanguageCount; ++i) {
        if (kLanguageTable[i].code == code) return i;
    }
    return -1;
}
