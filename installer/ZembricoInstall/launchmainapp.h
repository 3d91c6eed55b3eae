#pragma once

#include "installer/core/installparameters.h"

// Starts the installed launcher (brand + "Update.exe" in the install folder) detached, with
// " --o:" + oid when there is one, and does not wait for it. A failure is logged only.
void LaunchMainApp(const InstallParameters& params);
