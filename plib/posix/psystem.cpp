#include "plib/psystem.h"

#include <dlfcn.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>

#include "plib/pstringencoding.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kUnixEpochInFileTime = 11644473600ULL * 10000000ULL;

// File names on this host are bytes; an encoded name goes to the system as UTF-8.
PString NativeName(const PString& name, const PStringEncoding* encoding) {
    if (!encoding) {
        return name;
    }
    PString out;
    const PStringEncodingUtf8 utf8;
    const auto reader = encoding->createReader(name);
    for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) {
        utf8.append(out, cp);
    }
    return out;
}

std::tm Broken(std::time_t seconds, bool local) {
    std::tm tm{};
    if (local) {
        localtime_r(&seconds, &tm);
    } else {
        gmtime_r(&seconds, &tm);
    }
    tm.tm_isdst = -1;
    return tm;
}

std::time_t UnixSeconds(std::uint64_t fileTime) {
    return static_cast<std::time_t>(
        (static_cast<std::int64_t>(fileTime) - static_cast<std::int64_t>(kUnixEpochInFileTime)) /
        10000000);
}

}  // namespace

PFile POpenFile(const PString& name, const char* mode, const PStringEncoding* encoding) {
    return PFile(std::fopen(NativeName(name, encoding).c_str(), mode));
}

bool PDeleteFile(const PString& name, const PStringEncoding* encoding) {
    return ::unlink(NativeName(name, encoding).c_str()) == 0;
}

bool PRenameFile(const PString& from, const PString& to, const PStringEncoding* encoding) {
    return std::rename(NativeName(from, encoding).c_str(), NativeName(to, encoding).c_str()) == 0;
}

bool PReopenStderr(const PString& name, const PStringEncoding* encoding) {
    return std::freopen(NativeName(name, encoding).c_str(), "a", stderr) != nullptr;
}

std::tm PLocalTime() {
    return Broken(std::time(nullptr), /*local=*/true);
}

std::tm PUtcTime() {
    return Broken(std::time(nullptr), /*local=*/false);
}

std::uint64_t PFileTimeNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return kUnixEpochInFileTime + static_cast<std::uint64_t>(now.tv_sec) * 10000000ULL +
           static_cast<std::uint64_t>(now.tv_nsec) / 100;
}

std::tm PFileTimeToUtc(std::uint64_t fileTime) {
    return Broken(UnixSeconds(fileTime), /*local=*/false);
}

std::tm PFileTimeToLocal(std::uint64_t fileTime) {
    return Broken(UnixSeconds(fileTime), /*local=*/true);
}

std::uint64_t PUtcToFileTime(const std::tm& utc) {
    std::tm copy = utc;
    const std::time_t seconds = timegm(&copy);
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(seconds) * 10000000LL +
                                      static_cast<std::int64_t>(kUnixEpochInFileTime));
}

std::uint64_t PTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

std::uint32_t PProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

std::uint32_t PThreadId() {
    return static_cast<std::uint32_t>(::gettid());
}

const void* PModuleBase() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&PModuleBase), &info) == 0) {
        return nullptr;
    }
    return info.dli_fbase;
}

std::uint64_t PProcessAffinityMask() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) != 0) {
        return 0;
    }
    std::uint64_t mask = 0;
    for (int cpu = 0; cpu < 64; ++cpu) {
        if (CPU_ISSET(cpu, &set)) {
            mask |= std::uint64_t{1} << cpu;
        }
    }
    return mask;
}

bool PTryLockSupported() {
    return true;
}
