#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "client/core/clientarguments.h"
#include "client/core/uninstallplan.h"

// Removes one installation of the client, found by the uninstaller's arguments: what the
// uninstall key records (shortcuts, program group), the payload's files as its list names them,
// the installation's own files, the emptied folders, and finally the key. The user's settings
// (user.ini) stay.
//
// The uninstaller normally runs from the install folder, and a running program cannot delete
// its own file: it then removes everything else, leaves its file and the payload list, and hands
// the rest to a temporary copy of itself ("/c:"), which waits for it to end and finishes the
// removal.
class Uninstaller {
  public:
    Uninstaller(UninstallArguments args, std::string logPath);

    // The whole removal as the user started it: confirmation, the running-client check, the
    // removal and its notice. Returns a code of uninstallcodes.h.
    int run();

  private:
    struct Removal {
        bool failed = false;    // a file or the key could not be removed
        bool deferred = false;  // the copy finishes: the key is still there
    };

    int runInteractive();
    // The temporary copy's part: wait for the original, then remove what it left.
    int finishForOriginal(HANDLE original);
    bool readRecord(UninstallRecord& record, int& language) const;
    Removal remove(const UninstallRecord& record, const std::vector<std::string>& keep);
    bool removeFile(const std::string& path);
    void removeFolder(const std::string& path);
    bool removeKey();
    // Starts the temporary copy; false when it could not be made or started.
    bool startContinuation();

    UninstallArguments args_;
    std::string keyPath_;
    std::string logPath_;
};
