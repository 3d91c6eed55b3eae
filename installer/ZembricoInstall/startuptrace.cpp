#include "installer/ZembricoInstall/startuptrace.h"

#include <windows.h>

#include <cstdio>

void StartupTrace(const char* phase) noexcept {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    char line[128];
    std::snprintf(line, sizeof line, "ZembricoInstall start-up: %s at %llu ms\n", phase,
                  (ticks(now) - ticks(created)) / 10000);
    OutputDebugStringA(line);
}
