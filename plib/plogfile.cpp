#include "plib/plogfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "plib/perror.h"
#include "plib/pstringencoding.h"

namespace {

class SystemLogClock : public PLogClock {
  public:
    PLogTime now(bool utc) const override {
        // One reading for both, so the microseconds belong to the second shown.
        const std::uint64_t fileTime = PFileTimeNow();
        return {utc ? PFileTimeToUtc(fileTime) : PFileTimeToLocal(fileTime),
                static_cast<int>((fileTime / 10) % 1000000)};
    }
    std::uint64_t ticks() const override { return PTickCount(); }
};

bool SameSecond(const std::tm& a, const std::tm& b) {
    return a.tm_sec == b.tm_sec && a.tm_min == b.tm_min && a.tm_hour == b.tm_hour &&
           a.tm_mday == b.tm_mday && a.tm_mon == b.tm_mon && a.tm_year == b.tm_year;
}

int MinuteOfDay(const std::tm& tm) {
    return tm.tm_hour * 60 + tm.tm_min;
}

int NextRotationMinute(int minuteOfDay, int period) {
    return (minuteOfDay / period + 1) * period;
}

// Appends printf output to `line` at `used`, never beyond `capacity` bytes of text; returns the
// new length.
std::size_t AppendTo(char* line, std::size_t used, std::size_t capacity, const char* format, ...)
    PLOG_PRINTF(4, 5);
std::size_t AppendTo(char* line, std::size_t used, std::size_t capacity, const char* format, ...) {
    if (used >= capacity) {
        return capacity;
    }
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line + used, capacity - used + 1, format, args);
    va_end(args);
    return n < 0 ? used : std::min(capacity, used + static_cast<std::size_t>(n));
}

// The thread's context items, "[name=value] " each.
std::size_t AppendContext(char* line, std::size_t used, std::size_t capacity) {
    for (const auto& [name, value] : PLogContext()) {
        used = AppendTo(line, used, capacity, "[%s=%s] ", name.c_str(), value.c_str());
    }
    return used;
}

thread_local std::uint64_t tContextWritten = 0;

}  // namespace

const PLogClock& PSystemLogClock() noexcept {
    static const SystemLogClock clock;
    return clock;
}

PLogFile::PLogFile(const char* name, std::uint32_t options, const PStringEncoding* encoding,
                   const PLogClock& clock)
    : clock_(clock), options_(options), encoding_(encoding ? encoding->clone() : nullptr) {
    if (options & PLogOption::kBuffered) {
        buffer_ = std::make_unique<char[]>(kBufferSize);
        lastFlush_ = clock_.ticks();
    }
    if (!name) {
        return;
    }
    hasName_ = true;
    name_ = name;
    if (name[0] == 'R') {
        const char* digits = name + 1;
        const char* end = digits;
        long minutes = 0;
        while (*end >= '0' && *end <= '9' && minutes <= 1439) {
            minutes = minutes * 10 + (*end++ - '0');
        }
        while (*end >= '0' && *end <= '9') {
            ++end;
        }
        if (end != digits && *end == ';') {
            baseName_ = end + 1;
            name_ = baseName_;
            rotationPeriod_ = minutes <= 1439 ? static_cast<int>(minutes) : 0;
        }
    }
    std::lock_guard lock(rotationLock_);
    const PLogTime now = clock_.now(utc());
    if (rotationPeriod_ > 0) {
        nextRotationMinute_ = NextRotationMinute(MinuteOfDay(now.tm), rotationPeriod_);
    }
    openLocked(now);
}

PLogFile::~PLogFile() {
    flush();
}

PString PLogFile::fileName() const {
    std::lock_guard lock(rotationLock_);
    return path_;
}

bool PLogFile::isOpen() const {
    std::shared_lock lock(fileGuard_);
    return file_ != nullptr;
}

bool PLogFile::reopen() {
    std::lock_guard lock(rotationLock_);
    if (!testOption(PLogOption::kDaily) || !hasName_) {
        return false;
    }
    const PLogTime now = clock_.now(utc());
    if (DateOf(now.tm) == fileDate_) {
        ++sameDayCount_;
    } else {
        sameDayCount_ = 0;
        fileDate_ = DateOf(now.tm);
    }
    openPath(dailyPath(), "a+b");
    writeNewFileHeader(now, /*withBaseAddress=*/true);
    return true;
}

void PLogFile::addListener(std::unique_ptr<PLogListener> listener) {
    std::lock_guard lock(rotationLock_);
    if (listeners_.size() >= kMaxListeners) {
        throw PInternalError("list too long");
    }
    listeners_.push_back(std::move(listener));
}

void PLogFile::notifyListeners() {
    std::lock_guard lock(rotationLock_);
    for (const auto& listener : listeners_) {
        listener->onNewFile(*this);
    }
}

bool PLogFile::checkBeforeWrite(bool stamp) {
    std::unique_lock lock(rotationLock_, std::defer_lock);
    if (PTryLockSupported()) {
        // Another thread is rotating or stamping: this line goes without its own check.
        if (!lock.try_lock()) {
            return isOpen();
        }
    } else {
        lock.lock();
    }
    checkLocked(stamp);
    return isOpen();
}

void PLogFile::checkLocked(bool stamp) {
    const PLogTime now = clock_.now(utc());
    const int minuteOfDay = MinuteOfDay(now.tm);
    bool rotationDue = false;
    if (rotationPeriod_ > 0 && minuteOfDay >= nextRotationMinute_) {
        rotationDue = true;
        nextRotationMinute_ += rotationPeriod_;
    }
    if (SameSecond(now.tm, lastStamp_) && !rotationDue) {
        return;
    }
    const bool dateChanged = !(DateOf(now.tm) == fileDate_);
    bool newFile = false;
    if (isOpen() && (dateChanged || rotationDue)) {
        if (testOption(PLogOption::kDaily)) {
            sameDayCount_ = 0;
            fileDate_ = DateOf(now.tm);
            makeRotationName(now);
            openPath(dailyPath(), "a+b");
            newFile = true;
        } else if (testOption(PLogOption::kTwoGenerations)) {
            fileDate_ = DateOf(now.tm);
            makeRotationName(now);
            openPath(PString(name_).append(".0"), "w+b", /*shift=*/true);
            newFile = true;
        } else if (rotationDue) {
            makeRotationName(now);
            openPath(name_, "a+b");
            newFile = true;
        }
    }
    if (newFile) {
        writeNewFileHeader(now, testOption(PLogOption::kDaily));
    } else if (stamp) {
        writeStamp(now);
    }
    if (dateChanged) {
        fileDate_ = DateOf(now.tm);
        if (rotationPeriod_ > 0) {
            nextRotationMinute_ = NextRotationMinute(minuteOfDay, rotationPeriod_);
        }
    }
}

void PLogFile::writeStamp(const PLogTime& now) {
    char line[48];
    std::snprintf(
        line, sizeof line,
        utc() ? "[%04d/%02d/%02d %02d:%02d:%02dZ]\r\n" : "[%04d/%02d/%02d %02d:%02d:%02d]\r\n",
        now.tm.tm_year + 1900, now.tm.tm_mon + 1, now.tm.tm_mday, now.tm.tm_hour, now.tm.tm_min,
        now.tm.tm_sec);
    put(line, std::strlen(line));
    lastStamp_ = now.tm;
}

void PLogFile::writeNewFileHeader(const PLogTime& now, bool withBaseAddress) {
    writeStamp(now);
    char line[64];
    if (!testOption(PLogOption::kPid)) {
        std::snprintf(line, sizeof line, "PID=%d\r\n", static_cast<int>(PProcessId()));
        put(line, std::strlen(line));
    }
    if (withBaseAddress) {
        std::snprintf(line, sizeof line, "BASEADDR=0x%s\r\n",
                      PLogFormatAddress(PModuleBase()).c_str());
        put(line, std::strlen(line));
    }
    notifyListeners();
}

void PLogFile::makeRotationName(const PLogTime& now) {
    if (rotationPeriod_ <= 0) {
        return;
    }
    const int seconds = now.tm.tm_hour * 3600 + now.tm.tm_min * 60 + now.tm.tm_sec;
    name_ = baseName_;
    name_.append(".").appendDecimal(static_cast<std::int32_t>(seconds));
}

PString PLogFile::dailyPath() const {
    PString path(name_);
    path.append(".");
    if (sameDayCount_ > 0) {
        path.appendDecimal(static_cast<std::int32_t>(sameDayCount_)).append(".");
    }
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", fileDate_.year + 1900, fileDate_.month + 1,
                  fileDate_.day);
    return path.append(date);
}

void PLogFile::shiftGenerations() {
    const PString current = PString(name_).append(".0");
    const PString previous = PString(name_).append(".1");
    PDeleteFile(previous, encoding_.get());
    PRenameFile(current, previous, encoding_.get());
}

void PLogFile::openLocked(const PLogTime& now) {
    if (!hasName_) {
        return;
    }
    makeRotationName(now);
    fileDate_ = DateOf(now.tm);
    const bool first = !firstOpenDone_;
    firstOpenDone_ = true;
    if (testOption(PLogOption::kDaily)) {
        openPath(dailyPath(), "a+b");
    } else if (testOption(PLogOption::kTwoGenerations)) {
        const PString current = PString(name_).append(".0");
        char expected[16];
        std::snprintf(expected, sizeof expected, "[%04d/%02d/%02d ", now.tm.tm_year + 1900,
                      now.tm.tm_mon + 1, now.tm.tm_mday);
        char head[12] = {};
        std::size_t got = 0;
        if (const PFile existing = POpenFile(current, "rb", encoding_.get())) {
            got = std::fread(head, 1, sizeof head, existing.get());
        }
        // A short or unreadable file was not started today either.
        const bool today = got == sizeof head && std::memcmp(head, expected, sizeof head) == 0;
        openPath(current, today ? "a+b" : "w+b", /*shift=*/!today);
    } else if (testOption(PLogOption::kKeepPrevious)) {
        const PString current = PString(name_).append(".0");
        openPath(current, first ? "w+b" : "a+b", /*shift=*/first);
    } else {
        openPath(name_, "a+b");
    }
}

void PLogFile::openPath(const PString& path, const char* mode, bool shift) {
    flush();
    // Writers wait while the file changes, so a line never finds the logger between files.
    std::unique_lock lock(fileGuard_);
    file_.reset();
    if (shift) {
        shiftGenerations();
    }
    path_ = path;
    file_ = POpenFile(path, mode, encoding_.get());
}

void PLogFile::changeOptions(std::uint32_t mask, std::uint32_t values) {
    std::lock_guard lock(bufferLock_);
    const std::uint32_t selected = mask & PLogOption::kChangeable;
    options_ = (options_.load() & ~selected) | (values & selected);
}

void PLogFile::writeFormatted(const char* prefix, const char* format, va_list args) {
    if (!checkBeforeWrite(/*stamp=*/true) && hasName_) {
        std::lock_guard lock(rotationLock_);
        if (!isOpen()) {
            const PLogTime now = clock_.now(utc());
            openLocked(now);
            // A file opened only now starts with its own timestamp.
            lastStamp_ = {};
            checkLocked(/*stamp=*/true);
        }
    }
    if (testOption(PLogOption::kContextOnce)) {
        writeThreadContext();
    }
    char line[kLineSize + 2];
    std::size_t used = 0;
    const std::uint32_t options = options_.load();
    if (options & PLogOption::kTimeOfDay) {
        const PLogTime now = clock_.now(utc());
        used = AppendTo(line, used, kLineSize,
                        utc() ? "%02d:%02d:%02d.%06dZ " : "%02d:%02d:%02d.%06d ", now.tm.tm_hour,
                        now.tm.tm_min, now.tm.tm_sec, now.microseconds);
    }
    if (options & PLogOption::kPid) {
        used = AppendTo(line, used, kLineSize, "PID=%d ", static_cast<int>(PProcessId()));
    }
    if (options & PLogOption::kThreadId) {
        used = AppendTo(line, used, kLineSize, "THREADID=%d ", static_cast<int>(PThreadId()));
    }
    if (options & PLogOption::kContextPrefix) {
        used = AppendContext(line, used, kLineSize);
    }
    if (prefix && used + std::strlen(prefix) <= kLineSize) {
        used = AppendTo(line, used, kLineSize, "%s", prefix);
    }
    if (used < kLineSize) {
        const int n = std::vsnprintf(line + used, kLineSize - used + 1, format, args);
        if (n > 0) {
            used = std::min(kLineSize, used + static_cast<std::size_t>(n));
        }
    }
    line[used++] = '\r';
    line[used++] = '\n';
    put(line, used);
    if (options & PLogOption::kStdout) {
        std::fwrite(line, 1, used, stdout);
    }
}

void PLogFile::writeRaw(const char* text) {
    flush();
    writeToFile(text, std::strlen(text));
}

void PLogFile::writeThreadContext() {
    if (PLogContext().empty() || tContextWritten == PLogContextVersion()) {
        return;
    }
    char line[kLineSize + 2];
    std::size_t used = AppendContext(line, 0, kLineSize);
    line[used++] = '\r';
    line[used++] = '\n';
    put(line, used);
    tContextWritten = PLogContextVersion();
}

void PLogFile::put(const char* text, std::size_t length) {
    if (!buffer_) {
        writeToFile(text, length);
        return;
    }
    std::lock_guard lock(bufferLock_);
    if (fill_ > 0 && (fill_ + length > kBufferSize ||
                      static_cast<std::int64_t>(clock_.ticks() - lastFlush_) >= flushInterval_)) {
        flushBufferLocked();
    }
    if (length > kBufferSize) {
        writeToFile(text, length);
        return;
    }
    std::memcpy(buffer_.get() + fill_, text, length);
    fill_ += length;
}

void PLogFile::flush() {
    if (!buffer_) {
        return;
    }
    std::lock_guard lock(bufferLock_);
    flushBufferLocked();
}

void PLogFile::flushBufferLocked() {
    writeToFile(buffer_.get(), fill_);
    fill_ = 0;
    lastFlush_ = clock_.ticks();
}

void PLogFile::writeToFile(const char* text, std::size_t length) {
    if (length == 0) {
        return;
    }
    std::shared_lock lock(fileGuard_);
    if (file_) {
        std::fwrite(text, 1, length, file_.get());
        std::fflush(file_.get());
    }
}
