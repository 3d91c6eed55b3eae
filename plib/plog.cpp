#include "plib/plog.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

#include "plib/perror.h"
#include "plib/psystem.h"

namespace {

// Writers copy the pointer for the length of one line; PLogExit waits for those copies.
std::atomic<std::shared_ptr<PLogBase>> gLogger;

struct ThreadState {
    std::shared_ptr<PLogBase> logger;
    std::vector<std::pair<PString, PString>> context;
};

// The static MinGW runtime crashes running thread_local destructors at thread exit, so the
// per-thread state lives on the heap behind a plain pointer, and goes once it is empty again.
thread_local ThreadState* tState = nullptr;
thread_local std::uint64_t tContextVersion = 0;

ThreadState& State() {
    if (!tState) {
        tState = new ThreadState;
    }
    return *tState;
}

void ReleaseStateIfEmpty() {
    if (tState && !tState->logger && tState->context.empty()) {
        delete tState;
        tState = nullptr;
    }
}

std::shared_ptr<PLogBase> CurrentLogger() {
    if (tState && tState->logger) {
        return tState->logger;
    }
    return gLogger.load();
}

void WriteLine(PLogBase& logger, const char* format, ...) PLOG_PRINTF(2, 3);
void WriteLine(PLogBase& logger, const char* format, ...) {
    va_list args;
    va_start(args, format);
    logger.writeFormatted(/*prefix=*/nullptr, format, args);
    va_end(args);
}

class LoggingErrorHook : public PErrorHook {
  public:
    void onError(const char* message) noexcept override {
        try {
            PLogLevel(1, "PError( '%s' )", message);
        } catch (...) {
            // A hook must not throw; a line lost here is all that goes wrong.
        }
    }
};

[[noreturn]] void ThrowOutOfMemory() {
    // The standard new-handler is not told the size asked for.
    throw PSystemMemoryError("'new', number of bytes requested", 0);
}

void RedirectStderr(PLogBase& logger) {
    const PString name = PString(logger.fileName()).append(".stderr");
    if (!PReopenStderr(name, nullptr)) {
        return;
    }
    const std::tm now = PLocalTime();
    std::fprintf(stderr, "[%04d/%02d/%02d %02d:%02d:%02d]", now.tm_year + 1900, now.tm_mon + 1,
                 now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    std::fputs("\nstderr reopened Ok\n", stderr);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::fputs("stderr reopened - testing stderr\n", stderr);
}

void WriteStartupLines(PLogBase& logger) {
    if (logger.testOption(PLogOption::kRedirectStderr)) {
        RedirectStderr(logger);
    }
    if (logger.testOption(PLogOption::kErrorHook)) {
        PErrorSetHook(std::make_unique<LoggingErrorHook>());
    }
    PLog("VC++ __active_heap = %d", 1);
    PLogLevel(3, "GetProcessAffinityMask=0x%llX",
              static_cast<unsigned long long>(PProcessAffinityMask()));
    void* probe = std::realloc(nullptr, 48);
    if (!probe) {
        PLog("Substandard realloc");
        throw PSystemMemoryError("Substandard realloc", 48);
    }
    std::free(probe);
    PLog("tryLock %s", PTryLockSupported() ? "supported" : "not supported");
    PLog("PLIB_ALTERNATING_RW_WAIT disabled");
    if (!logger.testOption(PLogOption::kPid)) {
        PLog("PID=%d", static_cast<int>(PProcessId()));
    }
    PLog("BASEADDR=0x%s", PLogFormatAddress(PModuleBase()).c_str());
    const bool buffered = logger.testOption(PLogOption::kBuffered);
    PLog("PLogFile bufferedLogger %s", buffered ? "enabled" : "disabled");
    if (buffered && logger.maxQueueSize() != 0) {
        PLog("PLogFile bufferedLogger maximum queue size: %zu", logger.maxQueueSize());
    }
    // The process's build-tag list is never filled in this program.
    PLog("buildtag '%s', buildtype '%s'", "unknown", "unknown");
    logger.notifyListeners();
}

void Install(std::shared_ptr<PLogBase> logger) {
    std::shared_ptr<PLogBase> none;
    if (!gLogger.compare_exchange_strong(none, logger)) {
        throw PAssert("", "plib/pplogfile", 1018);
    }
    std::set_new_handler(&ThrowOutOfMemory);
    WriteStartupLines(*logger);
}

}  // namespace

void PLogBase::writeFormattedLevel(int /*level*/, const char* /*category*/, const char* prefix,
                                   const char* format, va_list args) {
    writeFormatted(prefix, format, args);
}

void PLogBase::writeCounted(const char* text, std::size_t length) {
    WriteLine(*this, "%.*s", static_cast<int>(length), text);
}

void PLogBase::writeRawLevel(int /*level*/, const char* text) {
    writeRaw(text);
}

PString PLogFormatAddress(const void* address) {
    char text[2 * sizeof(void*) + 1];
    std::snprintf(text, sizeof text, "%0*" PRIXPTR, static_cast<int>(2 * sizeof(void*)),
                  reinterpret_cast<std::uintptr_t>(address));
    return PString(text);
}

void PLogInit(std::unique_ptr<PLogBase> logger) {
    Install(std::shared_ptr<PLogBase>(std::move(logger)));
}

void PLogInit(PLogBase& logger) {
    Install(std::shared_ptr<PLogBase>(&logger, [](PLogBase*) {}));
}

void PLogExit() {
    std::shared_ptr<PLogBase> last = gLogger.exchange(nullptr);
    // Lines already under way hold copies; they take microseconds, so waiting is a short spin.
    while (last && last.use_count() > 1) {
        std::this_thread::yield();
    }
    std::atomic_thread_fence(std::memory_order_acquire);
}

void PLogV(int level, const char* format, va_list args) {
    const std::shared_ptr<PLogBase> logger = CurrentLogger();
    if (logger) {
        logger->writeFormattedLevel(level, /*category=*/nullptr, /*prefix=*/nullptr, format, args);
    }
}

void PLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    PLogV(0, format, args);
    va_end(args);
}

void PLogLevel(int level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    PLogV(level, format, args);
    va_end(args);
}

void PLogFlush() {
    const std::shared_ptr<PLogBase> logger = CurrentLogger();
    if (logger) {
        logger->flushIfBuffered();
    }
}

bool PLogIsOn() noexcept {
    return (tState && tState->logger) || gLogger.load();
}

std::shared_ptr<PLogBase> PLogSetThreadLogger(std::shared_ptr<PLogBase> logger) {
    std::swap(State().logger, logger);
    ReleaseStateIfEmpty();
    return logger;
}

void PLogSetContext(const char* name, const char* value) {
    auto& context = State().context;
    const auto it = std::find_if(context.begin(), context.end(),
                                 [name](const auto& item) { return item.first == name; });
    if (it != context.end()) {
        if (value) {
            it->second = value;
        } else {
            context.erase(it);
        }
        ++tContextVersion;
    } else if (value) {
        context.emplace_back(name, value);
        ++tContextVersion;
    }
    ReleaseStateIfEmpty();
}

const std::vector<std::pair<PString, PString>>& PLogContext() noexcept {
    static const std::vector<std::pair<PString, PString>> none;
    return tState ? tState->context : none;
}

std::uint64_t PLogContextVersion() noexcept {
    return tContextVersion;
}
