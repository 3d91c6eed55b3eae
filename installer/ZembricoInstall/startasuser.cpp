#include "installer/ZembricoInstall/startasuser.h"

#include "installer/core/earlylogqueue.h"
#include "plib/win/pdesktopshell.h"
#include "plib/winseam/pwidenarrow.h"

bool StartAsSignedInUser(const std::string& file, const std::string& arguments,
                         const std::string& folder) {
    const HRESULT result =
        PDesktopShellExecute(PToWide(PString(file.c_str())), PToWide(PString(arguments.c_str())),
                             PToWide(PString(folder.c_str())));
    if (SUCCEEDED(result)) return true;
    EarlyLog(
        "No desktop shell to start '%s' as the signed-in user (0x%08lx): started with the "
        "setup program's rights",
        file.c_str(), static_cast<unsigned long>(result));
    return false;
}
