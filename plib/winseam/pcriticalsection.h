#pragma once

#include <windows.h>

// TryEnterCriticalSection, looked up once per process; null where the system lacks it.
using PTryEnterCriticalSectionFn = BOOL(WINAPI*)(LPCRITICAL_SECTION);
PTryEnterCriticalSectionFn PTryEnterCriticalSectionFunction() noexcept;
