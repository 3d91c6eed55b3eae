#include "plib/psystemmessage.h"

// Codes are Windows error codes; this host has no table for them.
PSystemMessageSource PPlatformSystemMessageSource() noexcept {
    return nullptr;
}
