#pragma once

#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "plib/plog.h"
#include "plib/pstring.h"

class PStringEncoding;

// Keeps the log lines written before Install.log exists, so that the installation's log starts
// with everything the window and start-up logged. Any thread adds; the worker flushes once
// its log is installed.
class EarlyLogQueue {
  public:
    static constexpr size_t kMaxLineLength = 255;

    // A place in the queue, taken now, for a line that another thread knows only later (how a
    // connection attempt ended): the line stands where the place was taken, before the lines
    // added after that. Filled or given up once; an unfilled place is given up when it goes.
    class Place {
      public:
        Place() = default;
        ~Place() { release(); }
        Place(Place&& other) noexcept;
        Place& operator=(Place&& other) noexcept;
        Place(const Place&) = delete;
        Place& operator=(const Place&) = delete;

        void fill(const char* format, ...) PLOG_PRINTF(2, 3);
        // Leaves no line.
        void release();

      private:
        friend class EarlyLogQueue;
        Place(EarlyLogQueue* queue, std::uint64_t id) : queue_(queue), id_(id) {}
        EarlyLogQueue* queue_ = nullptr;
        // 0: taken while a logger was installed and nothing waited; its line is written at once.
        std::uint64_t id_ = 0;
    };

    // The process-wide queue, made on first use.
    static EarlyLogQueue& instance();

    // Writes the line at once when a logger is installed and no place is open; otherwise
    // queues it, cut to kMaxLineLength characters.
    void add(const char* format, ...) PLOG_PRINTF(2, 3);
    void addV(const char* format, va_list args);
    Place hold();
    // Waits until no place is open, then writes the queued lines, in order, through the
    // installed logger and forgets them; without a logger does nothing.
    void flush();
    // For a run that ends before any log took the lines: when lines wait and no logger is
    // installed, waits until no place is open, writes them to a log file of their own at
    // `path` (appending) and forgets them.
    void writeTo(const PString& path, const PStringEncoding* encoding);

  private:
    struct Entry {
        std::string line;
        std::uint64_t place = 0;  // while not 0, an open place
    };
    void close(std::uint64_t place, const std::string* line);
    void waitForPlaces(std::unique_lock<std::mutex>& lock);

    std::mutex lock_;
    std::condition_variable placeClosed_;
    std::vector<Entry> lines_;
    std::uint64_t lastPlace_ = 0;
    int openPlaces_ = 0;
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
