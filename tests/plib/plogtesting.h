#pragma once

#include <cstdarg>
#include <string>
#include <vector>

#include "plib/plogfile.h"

// A clock that shows what the test sets.
class FakeLogClock : public PLogClock {
  public:
    FakeLogClock() { set(2026, 1, 2, 10, 0, 0); }
    void set(int year, int month, int day, int hour, int minute, int second, int microseconds = 0) {
        time_.tm = PMakeTm(year, month, day, hour, minute, second, 0);
        time_.microseconds = microseconds;
    }
    void setTicks(std::uint64_t ticks) { ticks_ = ticks; }
    PLogTime now(bool) const override { return time_; }
    std::uint64_t ticks() const override { return ticks_; }

  private:
    PLogTime time_{};
    std::uint64_t ticks_ = 0;
};

inline void WriteLine(PLogBase& log, const char* format, ...) PLOG_PRINTF(2, 3);
inline void WriteLine(PLogBase& log, const char* format, ...) {
    va_list args;
    va_start(args, format);
    log.writeFormatted(nullptr, format, args);
    va_end(args);
}

// The lines of a log text, each without its CR LF; a line that lacks it ends in "<no CRLF>".
inline std::vector<std::string> LogLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CRLF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

#if defined(_WIN32)
#include <io.h>
#define ZB_DUP _dup
#define ZB_DUP2 _dup2
#define ZB_CLOSE _close
#define ZB_FILENO _fileno
#else
#include <unistd.h>
#define ZB_DUP dup
#define ZB_DUP2 dup2
#define ZB_CLOSE close
#define ZB_FILENO fileno
#endif

// Puts the file behind `stream` (stdout, stderr) back when destroyed, whatever the test
// reopened it on meanwhile.
class RestoreStream {
  public:
    explicit RestoreStream(std::FILE* stream) : stream_(stream) {
        std::fflush(stream_);
        saved_ = ZB_DUP(ZB_FILENO(stream_));
    }
    ~RestoreStream() {
        std::fflush(stream_);
        ZB_DUP2(saved_, ZB_FILENO(stream_));
        ZB_CLOSE(saved_);
    }
    RestoreStream(const RestoreStream&) = delete;
    RestoreStream& operator=(const RestoreStream&) = delete;

  private:
    std::FILE* stream_;
    int saved_;
};
