#include "installer/core/earlylogqueue.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>

#include "plib/plogfile.h"

EarlyLogQueue& EarlyLogQueue::instance() {
    static EarlyLogQueue queue;
    return queue;
}

void EarlyLogQueue::add(const char* format, ...) {
    va_list args;
    va_start(args, format);
    addV(format, args);
    va_end(args);
}

void EarlyLogQueue::addV(const char* format, va_list args) {
    if (PLogIsOn()) {
        PLogV(/*level=*/0, format, args);
        return;
    }
    char line[kMaxLineLength + 1];
    std::vsnprintf(line, sizeof line, format, args);
    std::lock_guard lock(lock_);
    lines_.emplace_back(line);
}

void EarlyLogQueue::flush() {
    if (!PLogIsOn()) return;
    std::lock_guard lock(lock_);
    for (const std::string& line : lines_) PLog("%s", line.c_str());
    lines_.clear();
}

void EarlyLogQueue::writeTo(const PString& path, const PStringEncoding* encoding) {
    if (PLogIsOn()) return;
    {
        std::lock_guard lock(lock_);
        if (lines_.empty()) return;
    }
    PLogInit(std::make_unique<PLogFile>(path.c_str(), 0, encoding));
    flush();
    PLogExit();
}

void EarlyLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    EarlyLogQueue::instance().addV(format, args);
    va_end(args);
}

std::string UnguessableLogName(const char* stem) {
    std::random_device random;
    const std::uint64_t bits = (std::uint64_t{random()} << 32) | random();
    char name[32];
    std::snprintf(name, sizeof name, "-%016llx.log", static_cast<unsigned long long>(bits));
    return stem + std::string(name);
}
