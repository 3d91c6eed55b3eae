#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "plib/plog.h"
#include "plib/pstring.h"
#include "plib/psystem.h"

class PStringEncoding;

// A moment as a logger sees it: broken-down time and the microseconds within its second.
struct PLogTime {
    std::tm tm;
    int microseconds;
};

// Where a logger reads the time. Tests give their own; everything else uses PSystemLogClock.
class PLogClock {
  public:
    virtual ~PLogClock() = default;
    // Now, in UTC or local time.
    virtual PLogTime now(bool utc) const = 0;
    // Milliseconds since an arbitrary start (see PTickCount).
    virtual std::uint64_t ticks() const = 0;
};

// The system's clocks.
const PLogClock& PSystemLogClock() noexcept;

// Writes lines to a text file, each ending in CR LF, with a timestamp line
// "[YYYY/MM/DD hh:mm:ss]" whenever the second changes; the PLogOption bits choose prefixes,
// rotation (daily files, two generations, minute periods), buffering, a copy to standard output
// and UTC. A file that cannot be opened leaves the logger closed; lines are then lost without a
// report and every later line tries to open the file again.
class PLogFile : public PLogBase {
  public:
    // Longest line text (prefixes included); longer text is cut there.
    static constexpr std::size_t kLineSize = 1024;
    static constexpr std::size_t kBufferSize = 0xA00000;
    static constexpr std::size_t kMaxListeners = 16;
    static constexpr std::int64_t kDefaultFlushInterval = 1000;

    // `name` (null for no file) may start with "R" + minutes + ";": a new file every that many
    // minutes (up to 1439), named the rest of the name + "." + seconds since midnight. The file
    // is opened at once. The logger keeps its own copy of `encoding` (null: the name's bytes go
    // to the system unchanged); `clock` must outlive it.
    PLogFile(const char* name, std::uint32_t options, const PStringEncoding* encoding,
             const PLogClock& clock = PSystemLogClock());
    ~PLogFile() override;

    // The path of the current file (with its ".0", date or counter), "" with no name.
    PString fileName() const override;
    // Daily mode only: closes the file and opens the day's next one ("name.N.date" when the day
    // already had one), with a header. Returns false in other modes.
    bool reopen() override;
    void addListener(std::unique_ptr<PLogListener> listener) override;
    bool checkBeforeWrite(bool stamp) override;
    // Only the bits of PLogOption::kChangeable change.
    void changeOptions(std::uint32_t mask, std::uint32_t values) override;
    void writeFormatted(const char* prefix, const char* format, va_list args) override;
    // Flushes a buffered logger first, then writes `text` to the file at once.
    void writeRaw(const char* text) override;
    // With kContextOnce: the calling thread's context items as one line, when they changed since
    // this thread last wrote them.
    void writeThreadContext() override;
    void flush() override;
    bool testOption(std::uint32_t bits) const override { return (options_.load() & bits) != 0; }
    void setFlushInterval(std::int64_t milliseconds) override { flushInterval_ = milliseconds; }
    void notifyListeners() override;

  private:
    struct Date {
        int year = 0;
        int month = 0;
        int day = 0;
        bool operator==(const Date&) const = default;
    };
    static Date DateOf(const std::tm& tm) { return {tm.tm_year, tm.tm_mon, tm.tm_mday}; }

    bool utc() const { return testOption(PLogOption::kUtc); }
    bool isOpen() const;
    // The rest need the rotation lock.
    void checkLocked(bool stamp);
    void openLocked(const PLogTime& now);
    // Flushes, closes the current file, with `shift` moves name.0 to name.1, opens `path`.
    void openPath(const PString& path, const char* mode, bool shift = false);
    void shiftGenerations();
    PString dailyPath() const;
    void makeRotationName(const PLogTime& now);
    void writeStamp(const PLogTime& now);
    void writeNewFileHeader(const PLogTime& now, bool withBaseAddress);
    // Appends to the buffer of a buffered logger, else writes to the file.
    void put(const char* text, std::size_t length);
    void flushBufferLocked();
    void writeToFile(const char* text, std::size_t length);

    const PLogClock& clock_;
    std::atomic<std::uint32_t> options_;
    std::unique_ptr<PStringEncoding> encoding_;
    bool hasName_ = false;
    PString name_;      // as given, or for minute rotation the name made at the last rotation
    PString baseName_;  // minute rotation: the name after "R<minutes>;"
    PString path_;      // of the current file

    mutable std::recursive_mutex rotationLock_;
    std::tm lastStamp_{};
    Date fileDate_;
    int sameDayCount_ = 0;
    int rotationPeriod_ = 0;
    int nextRotationMinute_ = 0;
    bool firstOpenDone_ = false;
    std::vector<std::unique_ptr<PLogListener>> listeners_;

    std::mutex bufferLock_;
    std::unique_ptr<char[]> buffer_;
    std::size_t fill_ = 0;
    std::uint64_t lastFlush_ = 0;
    std::atomic<std::int64_t> flushInterval_{kDefaultFlushInterval};

    // Writers share it; closing and opening take it alone, so no write meets a closed file.
    mutable std::shared_mutex fileGuard_;
    PFile file_;
};
