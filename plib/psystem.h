#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>

#include "plib/pstring.h"

class PStringEncoding;

// The little the portable core needs from the operating system: opening, deleting and renaming
// files by name, the clocks, and a few process facts. plib/posix and plib/win implement it.

struct PFileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using PFile = std::unique_ptr<std::FILE, PFileCloser>;

// Opens `name` with the C library `mode` ("rt", "wt", "a+b", ...). With an encoding the name is
// read through it and handed to the system as Unicode (Windows: the wide C call; POSIX: UTF-8);
// with none its 8-bit text is passed unchanged. Null when the file cannot be opened.
PFile POpenFile(const PString& name, const char* mode, const PStringEncoding* encoding);

// Writes `size` bytes to `file` and closes it; true only when every byte was written and the
// close succeeded (a full disk often shows only when the buffer is written out at the close).
bool PWriteAndClose(PFile file, const void* data, std::size_t size);

// Deletes a file; true on success.
bool PDeleteFile(const PString& name, const PStringEncoding* encoding);

// Renames `from` to `to`; true on success. Whether an existing `to` is replaced depends on the
// system (Windows refuses, POSIX replaces): callers delete it first.
bool PRenameFile(const PString& from, const PString& to, const PStringEncoding* encoding);

// Reopens the process's standard error on `name` for appending; true on success.
bool PReopenStderr(const PString& name, const PStringEncoding* encoding);

// ---- Time ----

// Broken-down time is std::tm: year minus 1900, month 0 to 11, day of year, tm_isdst -1.

// Now, as broken-down local time and UTC, to the second.
std::tm PLocalTime();
std::tm PUtcTime();

// Now, as a file time: 100-nanosecond intervals since 1601-01-01 UTC, from the finest clock the
// system offers.
std::uint64_t PFileTimeNow();

// File time to broken-down time, in UTC or by the system's time-zone rules.
std::tm PFileTimeToUtc(std::uint64_t fileTime);
std::tm PFileTimeToLocal(std::uint64_t fileTime);
// Broken-down UTC (year, month, day, hour, minute, second are read) to file time.
std::uint64_t PUtcToFileTime(const std::tm& utc);

// Broken-down time from calendar fields (`month` 1 to 12, `weekday` 0 = Sunday); the day of the
// year counts one day more after February in years divisible by 4.
std::tm PMakeTm(int year, int month, int day, int hour, int minute, int second, int weekday);

// Milliseconds since an arbitrary start, never going back.
std::uint64_t PTickCount();

// ---- Process facts ----

std::uint32_t PProcessId();
std::uint32_t PThreadId();
// Where the program's own module is loaded.
const void* PModuleBase();
// The processors the process may run on, one bit each (the first 64).
std::uint64_t PProcessAffinityMask();
// Whether a lock may be tried without waiting (Windows: the system has TryEnterCriticalSection).
bool PTryLockSupported();
