#pragma once

#include <string>
#include <string_view>

// The uninstaller's own texts, which the setup program's message table has no keys for. The
// captions and buttons come from the message table.
enum class UninstallText {
    kConfirm,        // %0 the display name
    kClientRunning,  // %0 the display name
    kRemoved,        // %0 the display name
    kIncomplete,     // %0 the display name, %1 the log file
    kNotFound,       // %0 the display name
};

// The text in language `language` (an index of the language table), else in its fallback
// language, else in English; %0 and %1 replaced by the arguments. Program text encoding.
std::string UninstallMessage(UninstallText which, int language, std::string_view arg0,
                             std::string_view arg1 = {});
