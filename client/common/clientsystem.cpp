#include "client/common/clientsystem.h"

#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/pwidenarrow.h"

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

void KeepUnwrittenLines(const char* logStem) {
    EarlyLogQueue::instance().writeTo(
        PString((TempFolderPath() + UnguessableLogName(logStem)).c_str()), &PMixedEncoding());
}
