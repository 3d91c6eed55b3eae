#pragma once

#include <string>

// Whether the installed client runs: a top-level window of class `mainWindowClass` exists, or
// another process owns the named mutex `mainWindowClass`. A mutex that cannot be created at all
// counts as running.
bool ClientIsRunning(const std::string& mainWindowClass);
