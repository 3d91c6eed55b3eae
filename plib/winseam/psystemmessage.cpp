#include "plib/psystemmessage.h"

#include <windows.h>

namespace {

constexpr DWORD kLanguageEnglishUs = 1033;

bool FormatSystemMessage(std::int32_t code, char* buffer, std::size_t size) {
    const DWORD written = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                         /*lpSource=*/nullptr, static_cast<DWORD>(code),
                                         kLanguageEnglishUs, buffer, static_cast<DWORD>(size),
                                         /*Arguments=*/nullptr);
    return written != 0;
}

}  // namespace

PSystemMessageSource PPlatformSystemMessageSource() noexcept {
    return &FormatSystemMessage;
}
