// The check alone, apart from the wizard's question, so that the client's uninstaller links it
// without the wizard.

#include "plib/win/prunningclient.h"

#include <windows.h>

#include "plib/pstringencoding.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

bool ClientIsRunning(const std::string& mainWindowClass) {
    PSysText name(PString(mainWindowClass.c_str()), &PMixedEncoding(), /*wide=*/true);
    if (FindWindowW(name.w(), nullptr)) return true;
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, name.w()));
    if (!mutex) return true;
    const DWORD wait = WaitForSingleObject(mutex.get(), 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(mutex.get());
    return wait == WAIT_TIMEOUT;
}
