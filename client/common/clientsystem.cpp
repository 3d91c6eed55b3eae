#include "client/common/clientsystem.h"

#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/pwidenarrow.h"

std::wstring WideText(const std::string& text) {
    PSysText wide(PString(text.c_str()), &PMixedEncoding(), /*wide=*/true);
    return std::wstring(wide.w(), wide.units());
}

std::string SystemErrorMessage(DWORD code) {
    PString text;
    PSystemErrorText(text, static_cast<std::int32_t>(code));
    return std::string(text.view());
}

bool FileExistsAt(const std::string& path) {
    return PFileExists(PString(path.c_str()), &PMixedEncoding());
}

std::string CommandLineText() {
    PString text;
    PUtf16ToPString(text, reinterpret_cast<const PWChar*>(GetCommandLineW()));
    return std::string(text.view());
}

std::string TempFolderPath() {
    wchar_t path[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, path);
    // Without one, the root of the system drive stands in.
    if (length == 0 || length > MAX_PATH) return "C:\\";
    PString text;
    PUtf16ToPString(text, reinterpret_cast<const PWChar*>(path), length);
    return std::string(text.view());
}

void ShowFailure(const std::string& message) {
    MessageBoxW(nullptr, WideText(message).c_str(), L"Zembrico", MB_OK | MB_ICONERROR);
}

void KeepUnwrittenLines(const char* logStem) {
    EarlyLogQueue::instance().writeTo(
        PString((TempFolderPath() + UnguessableLogName(logStem)).c_str()), &PMixedEncoding());
}
