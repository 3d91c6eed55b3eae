#include "installer/ZembricoInstall/eastasiansupport.h"

#include <windows.h>

bool EastAsianLanguageSupport() {
    static const bool supported = [] {
        constexpr wchar_t kJapanese[] = {0x65E5, 0x672C, 0x8A9E};
        return WideCharToMultiByte(50220, 0, kJapanese, 3, nullptr, 0, nullptr, nullptr) != 0;
    }();
    return supported;
}
