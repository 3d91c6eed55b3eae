#include "installer/core/earlylogqueue.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <utility>

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
    {
        std::lock_guard lock(lock_);
        if (!PLogIsOn() || openPlaces_ > 0) {
            char line[kMaxLineLength + 1];
            std::vsnprintf(line, sizeof line, format, args);
            lines_.push_back({line});
            return;
        }
    }
    PLogV(/*level=*/0, format, args);
}

EarlyLogQueue::Place EarlyLogQueue::hold() {
    std::lock_guard lock(lock_);
    if (PLogIsOn() && openPlaces_ == 0) return Place(this, 0);
    lines_.push_back({"", ++lastPlace_});
    ++openPlaces_;
    return Place(this, lastPlace_);
}

void EarlyLogQueue::close(std::uint64_t place, const std::string* line) {
    {
        std::lock_guard lock(lock_);
        const auto entry = std::find_if(lines_.begin(), lines_.end(),
                                        [place](const Entry& e) { return e.place == place; });
        if (entry == lines_.end()) return;
        if (line) {
            entry->line = *line;
            entry->place = 0;
        } else {
            lines_.erase(entry);
        }
        --openPlaces_;
    }
    placeClosed_.notify_all();
}

void EarlyLogQueue::waitForPlaces(std::unique_lock<std::mutex>& lock) {
    placeClosed_.wait(lock, [this] { return openPlaces_ == 0; });
}

void EarlyLogQueue::flush() {
    if (!PLogIsOn()) return;
    std::unique_lock lock(lock_);
    waitForPlaces(lock);
    for (const Entry& entry : lines_) PLog("%s", entry.line.c_str());
    lines_.clear();
}

void EarlyLogQueue::writeTo(const PString& path, const PStringEncoding* encoding) {
    if (PLogIsOn()) return;
    {
        std::unique_lock lock(lock_);
        waitForPlaces(lock);
        if (lines_.empty()) return;
    }
    PLogInit(std::make_unique<PLogFile>(path.c_str(), 0, encoding));
    flush();
    PLogExit();
}

EarlyLogQueue::Place::Place(Place&& other) noexcept
    : queue_(std::exchange(other.queue_, nullptr)), id_(std::exchange(other.id_, 0)) {}

EarlyLogQueue::Place& EarlyLogQueue::Place::operator=(Place&& other) noexcept {
    if (this != &other) {
        release();
        queue_ = std::exchange(other.queue_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void EarlyLogQueue::Place::fill(const char* format, ...) {
    if (!queue_) return;
    va_list args;
    va_start(args, format);
    if (id_ == 0) {
        queue_->addV(format, args);
    } else {
        char line[kMaxLineLength + 1];
        std::vsnprintf(line, sizeof line, format, args);
        const std::string text(line);
        queue_->close(id_, &text);
    }
    va_end(args);
    queue_ = nullptr;
}

void EarlyLogQueue::Place::release() {
    if (queue_ && id_ != 0) queue_->close(id_, nullptr);
    queue_ = nullptr;
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
