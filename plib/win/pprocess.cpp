#include "plib/win/pprocess.h"

#include "plib/win/pwidenarrow.h"

namespace {

constexpr DWORD kDetachedProcess = 0x00000008;
static_assert(sizeof(void*) != 4 || (sizeof(STARTUPINFOA) == 68 && sizeof(STARTUPINFOW) == 68));

}  // namespace

BOOL PCreateProcess(const PString* application, const PString* commandLine,
                    const PString* currentDirectory, const PStringEncoding* encoding,
                    PROCESS_INFORMATION& info) {
    const bool wide = PWideFor(encoding);
    PSysText app(application, encoding, wide);
    PSysText line(commandLine, encoding, wide);
    PSysText directory(currentDirectory, encoding, wide);
    info = PROCESS_INFORMATION{};
    if (wide) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return CreateProcessW(app.w(), line.w(), nullptr, nullptr, /*bInheritHandles=*/FALSE,
                              kDetachedProcess, /*lpEnvironment=*/nullptr, directory.w(), &startup,
                              &info);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(app.a(), line.a(), nullptr, nullptr, /*bInheritHandles=*/FALSE,
                          kDetachedProcess, /*lpEnvironment=*/nullptr, directory.a(), &startup,
                          &info);
}
