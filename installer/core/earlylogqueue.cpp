#include "installer/core/earlylogqueue.h"

#include <algorithm>
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

bool IsUnguessableLogName(std::string_view name, std::string_view stem) {
    constexpr std::string_view kEnd = ".log";
    constexpr std::size_t kDigits = 16;
    if (name.size() != stem.size() + 1 + kDigits + kEnd.size() || !name.starts_with(stem) ||
        name[stem.size()] != '-' || !name.ends_with(kEnd))
        return false;
    const std::string_view digits = name.substr(stem.size() + 1, kDigits);
    return std::all_of(digits.begin(), digits.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}
