#pragma once

// Marks the end of one start-up phase in the debug output (OutputDebugString, which Wine shows
// with WINEDEBUG=+debugstr): "ZembricoInstall start-up: <phase> at <ms> ms", counted from the
// creation of the process, so that the time before WinMain shows too.
void StartupTrace(const char* phase) noexcept;
