#pragma once

#include "installer/core/installparameters.h"

// Starts the installed launcher (brand + "Update.exe" in the install folder) with " --o:" + oid
// when there is one, and does not wait for it: as the signed-in user through the desktop shell,
// or, where no shell takes it, detached from this process (with a log line that says so). A
// failure is logged only.
void LaunchMainApp(const InstallParameters& params);
