#include "plib/psystem.h"

#include <windows.h>

#include "plib/pstringencoding.h"
#include "plib/putf16.h"
#include "plib/winseam/pcriticalsection.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

PUtf16Block Wide(const PString& text, const PStringEncoding* encoding) {
    PUtf16Block wide;
    PStringToUtf16(wide, text, encoding);
    return wide;
}

std::tm FromSystemTime(const SYSTEMTIME& st) {
    return PMakeTm(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wDayOfWeek);
}

std::uint64_t FromFileTime(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t value) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

SYSTEMTIME UtcSystemTime(std::uint64_t fileTime) {
    const FILETIME ft = ToFileTime(fileTime);
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    return st;
}

}  // namespace

PFile POpenFile(const PString& name, const char* mode, const PStringEncoding* encoding) {
    if (!encoding) {
        return PFile(std::fopen(name.c_str(), mode));
    }
    const bool wide = PWideFor(encoding);
    PSysText path(name, encoding, wide);
    if (!wide) {
        return PFile(std::fopen(path.a(), mode));
    }
    // The mode is ASCII: one unit per byte.
    return PFile(_wfopen(path.w(), Wide(mode, nullptr).c_str()));
}

bool PDeleteFile(const PString& name, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText path(name, encoding, wide);
    return (wide ? DeleteFileW(path.w()) : DeleteFileA(path.a())) != 0;
}

bool PRenameFile(const PString& from, const PString& to, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText source(from, encoding, wide);
    PSysText target(to, encoding, wide);
    return (wide ? MoveFileW(source.w(), target.w()) : MoveFileA(source.a(), target.a())) != 0;
}

bool PReopenStderr(const PString& name, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText path(name, encoding, wide);
    if (!wide) {
        return std::freopen(path.a(), "a", stderr) != nullptr;
    }
    return _wfreopen(path.w(), L"a", stderr) != nullptr;
}

std::tm PLocalTime() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return FromSystemTime(st);
}

std::tm PUtcTime() {
    SYSTEMTIME st{};
    GetSystemTime(&st);
    return FromSystemTime(st);
}

std::uint64_t PFileTimeNow() {
    // The precise clock exists from Windows 8 on; older systems give the tick-granular one.
    using PreciseFn = void(WINAPI*)(LPFILETIME);
    static const PreciseFn precise = reinterpret_cast<PreciseFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME ft{};
    if (precise) {
        precise(&ft);
    } else {
        GetSystemTimeAsFileTime(&ft);
    }
    return FromFileTime(ft);
}

std::tm PFileTimeToUtc(std::uint64_t fileTime) {
    return FromSystemTime(UtcSystemTime(fileTime));
}

std::tm PFileTimeToLocal(std::uint64_t fileTime) {
    const SYSTEMTIME utc = UtcSystemTime(fileTime);
    SYSTEMTIME local{};
    SystemTimeToTzSpecificLocalTime(/*lpTimeZoneInformation=*/nullptr, &utc, &local);
    return FromSystemTime(local);
}

std::uint64_t PUtcToFileTime(const std::tm& utc) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(utc.tm_year + 1900);
    st.wMonth = static_cast<WORD>(utc.tm_mon + 1);
    st.wDay = static_cast<WORD>(utc.tm_mday);
    st.wHour = static_cast<WORD>(utc.tm_hour);
    st.wMinute = static_cast<WORD>(utc.tm_min);
    st.wSecond = static_cast<WORD>(utc.tm_sec);
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return FromFileTime(ft);
}

std::uint64_t PTickCount() {
    return GetTickCount64();
}

std::uint32_t PProcessId() {
    return GetCurrentProcessId();
}

std::uint32_t PThreadId() {
    return GetCurrentThreadId();
}

const void* PModuleBase() {
    return GetModuleHandleW(nullptr);
}

std::uint64_t PProcessAffinityMask() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
        return 0;
    }
    return process;
}

bool PTryLockSupported() {
    return PTryEnterCriticalSectionFunction() != nullptr;
}
