#include "installer/ZembricoInstall/installlog.h"

#include <memory>

#include "installer/core/earlylogqueue.h"
#include "plib/plog.h"
#include "plib/plogfile.h"
#include "plib/pstringencoding.h"

InstallLogSession::InstallLogSession(const std::string& installFolder) {
    if (!PLogIsOn()) {
        const std::string path = installFolder + "\\Install.log";
        PLogInit(std::make_unique<PLogFile>(path.c_str(), 0, &PMixedEncoding()));
    }
    EarlyLogQueue::instance().flush();
}

InstallLogSession::~InstallLogSession() {
    PLogFlush();
    if (PLogIsOn()) PLogExit();
}
