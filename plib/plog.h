#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "plib/pstring.h"

#if defined(__MINGW32__)
#define PLOG_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define PLOG_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

class PLogBase;

// Option bits of the program's loggers (see PLogFile); PLogInit reads some of them.
namespace PLogOption {
constexpr std::uint32_t kStdout = 0x0001;          // copy every line to standard output
constexpr std::uint32_t kPid = 0x0002;             // "PID=%d " in front of every line
constexpr std::uint32_t kThreadId = 0x0004;        // "THREADID=%d " in front of every line
constexpr std::uint32_t kKeepPrevious = 0x0008;    // first open: name.0 afresh, old one as name.1
constexpr std::uint32_t kDaily = 0x0010;           // one file a day: name.YYYYMMDD
constexpr std::uint32_t kErrorHook = 0x0040;       // PLogInit logs every PError
constexpr std::uint32_t kRedirectStderr = 0x0080;  // PLogInit reopens stderr on name.stderr
constexpr std::uint32_t kTwoGenerations = 0x0100;  // name.0 today, name.1 the day before
constexpr std::uint32_t kTimeOfDay = 0x0400;       // time with microseconds in front of every line
constexpr std::uint32_t kBuffered = 0x0800;        // lines collect in memory until flushed
constexpr std::uint32_t kContextOnce = 0x1000;     // the thread's context as a line of its own
constexpr std::uint32_t kContextPrefix = 0x2000;   // the thread's context in front of every line
constexpr std::uint32_t kUtc = 0x8000;             // timestamps in UTC, marked "Z"
// The bits that changeOptions may change.
constexpr std::uint32_t kChangeable = 0x3607;
}  // namespace PLogOption

// Told about every new file a logger starts (rotation, reopening, initialisation).
class PLogListener {
  public:
    virtual ~PLogListener() = default;
    virtual void onNewFile(PLogBase& log) = 0;
};

// The process-wide logger's interface. Every operation may be called from any thread.
class PLogBase {
  public:
    virtual ~PLogBase() = default;

    // The current file name, or "" when there is none.
    virtual PString fileName() const = 0;
    // Starts a new file now, where the logger's mode allows it; returns whether it did.
    virtual bool reopen() = 0;
    // Takes ownership of `listener`. Throws PInternalError("list too long") when the list is full.
    virtual void addListener(std::unique_ptr<PLogListener> listener) = 0;
    // Rotates if due and, with `stamp`, writes the timestamp line if due; returns whether a file
    // is open.
    virtual bool checkBeforeWrite(bool stamp) = 0;
    // Replaces the changeable option bits that `mask` selects with those of `values`.
    virtual void changeOptions(std::uint32_t mask, std::uint32_t values) = 0;
    // One line: the logger's own prefixes, then `prefix` (may be null), then the formatted text.
    virtual void writeFormatted(const char* prefix, const char* format, va_list args) = 0;
    // As writeFormatted; a logger may filter by `level` and `category` (null for none).
    virtual void writeFormattedLevel(int level, const char* category, const char* prefix,
                                     const char* format, va_list args);
    // One line holding the first `length` bytes of `text`.
    virtual void writeCounted(const char* text, std::size_t length);
    // As writeRaw; a logger may filter by `level`.
    virtual void writeRawLevel(int level, const char* text);
    // Writes `text` as it is (no prefixes, no line end added).
    virtual void writeRaw(const char* text) = 0;
    // Writes the calling thread's context items once since they last changed.
    virtual void writeThreadContext() = 0;
    // Writes out what a buffered logger holds.
    virtual void flush() = 0;
    // Whether any of `bits` is set.
    virtual bool testOption(std::uint32_t bits) const = 0;
    virtual void setFlushInterval(std::int64_t milliseconds) = 0;
    // Tells every listener about the current file.
    virtual void notifyListeners() = 0;
    // The interface revision.
    virtual int interfaceVersion() const { return 5; }
    // No logger of ours overrides the level filter, the dropped-line count or the queue size:
    // these no-op slots are kept on purpose, so that the interface keeps the shape and the
    // revision that loggers are written against.
    virtual void setLevelFilter(int /*level*/) {}
    virtual int droppedLines() const { return 0; }
    // The most lines a queueing logger holds; 0 for one that does not queue.
    virtual std::size_t maxQueueSize() const { return 0; }
    virtual void setMaxQueueSize(std::size_t /*lines*/) {}
    virtual void flushIfBuffered() { flush(); }

  protected:
    PLogBase() = default;
    PLogBase(const PLogBase&) = delete;
    PLogBase& operator=(const PLogBase&) = delete;
};

// Makes `logger` the process-wide one and writes the start-up lines. The first form owns the
// logger (PLogExit destroys it); the second borrows one that must outlive PLogExit. Throws
// PAssert when a logger is already installed.
void PLogInit(std::unique_ptr<PLogBase> logger);
void PLogInit(PLogBase& logger);

// Removes the process-wide logger, waits until the lines other threads are writing through it
// are done, and destroys it if owned. Lines started later go nowhere. Not to be called from
// inside a logger (a listener, for instance): it would wait for itself.
void PLogExit();

// One formatted line through the calling thread's logger, else the process-wide one, else
// nowhere. PLogLevel passes `level` on to the logger.
void PLog(const char* format, ...) PLOG_PRINTF(1, 2);
void PLogLevel(int level, const char* format, ...) PLOG_PRINTF(2, 3);
void PLogV(int level, const char* format, va_list args);

// Writes out what the calling thread's logger, else the process-wide one, holds in memory.
void PLogFlush();

// Whether PLog would write anywhere from this thread.
bool PLogIsOn() noexcept;

// The logger of the calling thread, which PLog prefers to the process-wide one; null removes
// it. Returns the previous one. A thread that sets a logger or context items removes them
// before it ends (the memory that holds them is not freed at thread exit).
std::shared_ptr<PLogBase> PLogSetThreadLogger(std::shared_ptr<PLogBase> logger);

// The calling thread's context items, printed by loggers that are asked to (name and value
// pairs, in the order first set). Setting a name again replaces its value; a null value
// removes the item.
void PLogSetContext(const char* name, const char* value);
const std::vector<std::pair<PString, PString>>& PLogContext() noexcept;
// `address` in upper-case hexadecimal, two digits a byte ("0040A000" on a 32-bit system).
PString PLogFormatAddress(const void* address);

// Changes each time the calling thread's context changes.
std::uint64_t PLogContextVersion() noexcept;
