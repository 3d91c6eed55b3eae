#include "client/common/clientsystem.h"

#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/poldfiles.h"
#include "plib/winseam/pwidenarrow.h"

std::string SystemErrorMessage(DWORD code) {
    PString text;
    PSystemErrorText(text, static_cast<std::int32_t>(code));
    return std::string(text.view());
}

bool FileExistsAt(const std::string& path) {
    return PFileExists(PString(path.c_str()), &PMixedEncoding());
}

std::string CommandLineText() {
    return std::string(PFromWide(GetCommandLineW()).view());
}

std::string TempFolderPath() {
    const PString folder = PTemporaryFolder(&PMixedEncoding());
    // Without one, the root of the system drive stands in.
    return folder.empty() ? "C:\\" : std::string(folder.view());
}

void ShowFailure(const std::string& message) {
    MessageBoxW(nullptr, PToWide(message.c_str()).c_str(), L"Zembrico", MB_OK | MB_ICONERROR);
}

std::string NewTemporaryLogPath(const char* logStem) {
    const std::string folder = TempFolderPath();
    PRemoveOldFiles(
        folder.substr(0, folder.size() - 1),
        [logStem](std::string_view name) { return IsUnguessableLogName(name, logStem); },
        kKeptTemporaryLogs - 1);
    return folder + UnguessableLogName(logStem);
}

void KeepUnwrittenLines(const char* logStem) {
    EarlyLogQueue::instance().writeTo(PString(NewTemporaryLogPath(logStem).c_str()),
                                      &PMixedEncoding());
}
