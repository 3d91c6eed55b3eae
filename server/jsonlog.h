#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The server's log: one JSON object per line and event, {"time":...,"event":...,...}, written
// whole (lines of several threads never mix). Texts are escaped; bytes that are not UTF-8 are
// written as U+FFFD, so every line parses.
class LogEvent {
  public:
    explicit LogEvent(std::string_view event);
    LogEvent(const LogEvent&) = delete;
    LogEvent& operator=(const LogEvent&) = delete;
    // Writes the line.
    ~LogEvent();

    LogEvent& text(std::string_view key, std::string_view value);
    LogEvent& number(std::string_view key, std::int64_t value);

  private:
    std::string line_;
};

// Where lines go: standard output unless a sink is set (tests collect them). Returns the
// previous sink; an empty one restores standard output.
using LogSink = std::function<void(std::string_view line)>;
LogSink SetLogSink(LogSink sink);

// Appends `text` as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

// Makes the log the process-wide one of the core code (PLog, EarlyLog): their lines become
// events "core" with a "message". Without it, lines the core code logs before any log exists
// (the tracking checks' refusals) would be kept in memory for an installation log that a
// server never opens. Removed again when the returned guard ends.
class CoreLogGuard {
  public:
    CoreLogGuard();
    CoreLogGuard(const CoreLogGuard&) = delete;
    CoreLogGuard& operator=(const CoreLogGuard&) = delete;
    ~CoreLogGuard();
};
