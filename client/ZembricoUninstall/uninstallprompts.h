#pragma once

#include <string>

#include "client/core/uninstalltexts.h"
#include "installer/MyCWnd/mycbitmaps.h"
#include "installer/MyCWnd/mycfonts.h"
#include "installer/MyCWnd/mymsgbox.h"

// The uninstaller's questions and notices, in the setup program's message-box look, in the
// language the installation recorded. Captions and buttons come from the message table (which
// the program loads first), the messages from the uninstaller's own texts.
class UninstallPrompts {
  public:
    UninstallPrompts(int language, std::string displayName);

    // True when the user chose to remove the installation.
    bool confirm();
    // Shown while the client runs: true for Retry, false for Abort or close.
    bool retryWhileRunning();
    void removed();
    void incomplete(const std::string& logPath);
    void notFound();

  private:
    int show(UninstallText text, std::uint32_t firstButton, std::uint32_t secondButton,
             const wchar_t* icon, const std::string& detail = {});
    PString lookup(std::uint32_t key) const;

    int language_;
    std::string displayName_;
    MyCBitmaps bitmaps_;
    MyCFonts fonts_;
};
