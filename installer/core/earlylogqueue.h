#pragma once

#include <cstdarg>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "plib/plog.h"
#include "plib/pstring.h"

class PStringEncoding;

// Keeps the log lines written before Install.log exists, so that the installation's log starts
// with everything the window and start-up logged. Both threads add; the worker flushes once
// its log is installed.
class EarlyLogQueue {
  public:
    static constexpr size_t kMaxLineLength = 255;

    // The process-wide queue, made on first use.
    static EarlyLogQueue& instance();

    // Writes the line at once when a logger is installed; otherwise queues it, cut to
    // kMaxLineLength characters.
    void add(const char* format, ...) PLOG_PRINTF(2, 3);
    void addV(const char* format, va_list args);
    // Writes the queued lines, in order, through the installed logger and forgets them; without
    // a logger does nothing.
    void flush();
    // For a run that ends before any log took the lines: when lines wait and no logger is
    // installed, writes them to a log file of their own at `path` (appending) and forgets them.
    void writeTo(const PString& path, const PStringEncoding* encoding);

  private:
    std::mutex lock_;
    std::vector<std::string> lines_;
};

// "<stem>-<16 hex digits>.log" with random digits: the name of a log for the leftover lines in a
// folder others can write to (the temporary folder). A name nobody could guess beforehand
// cannot have been planted there as a link to another file, which an elevated program would
// then append to.
std::string UnguessableLogName(const char* stem);
// Whether `name` is one that UnguessableLogName(stem) gives (hex digits in either case).
bool IsUnguessableLogName(std::string_view name, std::string_view stem);
// How many logs of one stem the temporary folder keeps: a run that writes a new one removes the
// older ones beyond the newest, so that runs that end early do not pile them up.
inline constexpr std::size_t kKeptTemporaryLogs = 5;

// The one logging call for code that may run before Install.log exists (start-up, the window
// thread, and what they call): the line is written now or, while no log is installed, kept for
// the next one. PLog would drop it.
void EarlyLog(const char* format, ...) PLOG_PRINTF(1, 2);
