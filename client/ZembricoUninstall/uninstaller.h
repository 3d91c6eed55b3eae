#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "client/core/clientarguments.h"
#include "client/core/uninstallcodes.h"
#include "client/core/uninstallplan.h"
#include "plib/win/plinkfree.h"

// Removes one installation of the client, found by the uninstaller's arguments: what the
// uninstall key records (shortcuts, program group), the payload's files as this program's own
// list names them, the installation's own files, the emptied folders, and finally the key. The
// user's settings (user.ini) stay. Nothing is removed through a link (PLinkFreeFolder): a link
// planted in the install folder or in a shortcut's folder is removed as a link or left alone.
//
// The uninstaller normally runs from the install folder, and a running program cannot delete
// its own file: it then removes everything else, leaves its file and hands the rest to a
// temporary copy of itself ("/c:"), in a folder only administrators can open, which waits for
// it to end and finishes the removal. The command processor that starts the copy removes the
// copy's folder once the copy has ended.
class Uninstaller {
  public:
    Uninstaller(UninstallArguments args, std::string logPath);

    // The whole removal as the user started it: confirmation, the running-client check, the
    // removal and its notice. Returns the exit code.
    UninstallExit run();

  private:
    struct Removal {
        bool failed = false;    // a file or the key could not be removed
        bool deferred = false;  // the copy finishes: the key is still there
    };

    UninstallExit runInteractive();
    // The temporary copy's part: wait for the original, then remove what it left.
    UninstallExit finishForOriginal(std::uint32_t originalProcess);
    bool readRecord(UninstallRecord& record, int& language) const;
    // The folder below which `path` is removed: the install folder for what lies in it, the
    // programs folder for the program group, else the folder `path` names.
    const PLinkFreeFolder& placeOf(const UninstallRecord& record, const std::string& path);
    // Removes the plan's files and folders, leaving `keep` (this program's own file) to the copy.
    Removal remove(const UninstallRecord& record, const std::optional<std::string>& keep);
    bool removeFile(const PLinkFreeFolder& place, const std::string& path);
    void removeFolder(const PLinkFreeFolder& place, const std::string& path);
    bool removeKey();
    // Starts the temporary copy; false when it could not be made or started.
    bool startContinuation();

    UninstallArguments args_;
    std::string keyPath_;
    std::string logPath_;
    std::map<std::string, PLinkFreeFolder> places_;
};
