#include "plib/win/pmodule.h"

#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr DWORD kBufferCharacters = MAX_PATH + 1;

}  // namespace

PString PModuleFileName(HMODULE module, const PStringEncoding* encoding) {
    PString name;
    if (PWideFor(encoding)) {
        wchar_t path[kBufferCharacters];
        const DWORD length = GetModuleFileNameW(module, path, kBufferCharacters);
        if (length > 0 && length < kBufferCharacters) {
            PAppendWide(name, path, length, encoding);
        }
        return name;
    }
    char path[kBufferCharacters];
    const DWORD length = GetModuleFileNameA(module, path, kBufferCharacters);
    if (length > 0 && length < kBufferCharacters) {
        PAppendNarrow(name, path, length, encoding);
    }
    return name;
}
