#pragma once

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "installer/core/earlylogqueue.h"
#include "plib/plog.h"

// A logger that keeps its lines in memory, for tests of code that logs.
class CaptureLog final : public PLogBase {
  public:
    std::vector<std::string> lines() const {
        std::lock_guard lock(lock_);
        return lines_;
    }

    PString fileName() const override { return PString(); }
    bool reopen() override { return false; }
    void addListener(std::unique_ptr<PLogListener>) override {}
    bool checkBeforeWrite(bool) override { return true; }
    void changeOptions(std::uint32_t, std::uint32_t) override {}
    void writeFormatted(const char* prefix, const char* format, va_list args) override {
        char text[2048];
        std::vsnprintf(text, sizeof text, format, args);
        std::lock_guard lock(lock_);
        lines_.push_back(std::string(prefix ? prefix : "") + text);
    }
    void writeRaw(const char* text) override {
        std::lock_guard lock(lock_);
        lines_.emplace_back(text);
    }
    void writeThreadContext() override {}
    void flush() override {}
    bool testOption(std::uint32_t) const override { return false; }
    void setFlushInterval(std::int64_t) override {}
    void notifyListeners() override {}

  private:
    mutable std::mutex lock_;
    std::vector<std::string> lines_;
};

// Makes a CaptureLog the calling thread's logger for the life of the object.
class ScopedCaptureLog {
  public:
    ScopedCaptureLog() : log_(std::make_shared<CaptureLog>()) { PLogSetThreadLogger(log_); }
    ~ScopedCaptureLog() { PLogSetThreadLogger(nullptr); }
    std::vector<std::string> lines() const { return log_->lines(); }

  private:
    std::shared_ptr<CaptureLog> log_;
};

// The lines waiting in the process's early log queue, in order, once no place in it is open
// (lines that other threads log while no log is installed wait there); the queue forgets them.
inline std::vector<std::string> TakeEarlyLogLines() {
    ScopedCaptureLog log;
    EarlyLogQueue::instance().flush();
    return log.lines();
}
