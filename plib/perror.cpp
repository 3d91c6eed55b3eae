#include "plib/perror.h"

#include <atomic>
#include <charconv>
#include <mutex>
#include <utility>

#include "plib/pstring.h"
#include "plib/psystemmessage.h"

namespace {

thread_local bool t_traceOn = true;
// Set while this thread builds a message or runs the hook: an error raised then (memory
// exhaustion while composing, a failing log write inside the hook) must not start the same work
// again, or exhaustion would recurse without end.
thread_local bool t_composing = false;
thread_local bool t_inHook = false;

std::mutex g_hookMutex;
std::shared_ptr<PErrorHook> g_hook;

std::atomic<PSystemMessageSource> g_messageSource{nullptr};

void CallHook(const char* message) noexcept {
    if (!t_traceOn || t_inHook) {
        return;
    }
    std::shared_ptr<PErrorHook> hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
    }
    if (hook) {
        t_inHook = true;
        hook->onError(message);
        t_inHook = false;
    }
}

// Copies `source` into a new PString; null when it cannot be allocated.
PString* CopyMessage(const PString* source) noexcept {
    if (!source || t_composing) {
        return nullptr;
    }
    t_composing = true;
    PString* copy = nullptr;
    try {
        copy = new PString(*source);
    } catch (...) {
        copy = nullptr;
    }
    t_composing = false;
    return copy;
}

}  // namespace

PError::PError(const char* message) {
    compose({message});
}

PError::PError(const PError& other) : message_(CopyMessage(other.message_)) {}

PError& PError::operator=(const PError& other) {
    if (this != &other) {
        PString* copy = CopyMessage(other.message_);
        delete message_;
        message_ = copy;
    }
    return *this;
}

PError::PError(PError&& other) noexcept : message_(std::exchange(other.message_, nullptr)) {}

PError& PError::operator=(PError&& other) noexcept {
    if (this != &other) {
        delete message_;
        message_ = std::exchange(other.message_, nullptr);
    }
    return *this;
}

PError::~PError() {
    delete message_;
}

const char* PError::why() const noexcept {
    return message_ ? message_->c_str() : "";
}

void PError::compose(std::initializer_list<const char*> parts) noexcept {
    delete message_;
    message_ = nullptr;
    if (t_composing) {
        return;
    }
    t_composing = true;
    try {
        auto* message = new PString;
        try {
            for (const char* part : parts) {
                message->append(part);
            }
        } catch (...) {
            delete message;
            throw;
        }
        message_ = message;
    } catch (...) {
        message_ = nullptr;
    }
    t_composing = false;
    CallHook(why());
}

PAssert::PAssert(const char* expression, const char* file, int line) : PInternalError(Deferred{}) {
    char lineText[16];
    *std::to_chars(lineText, lineText + sizeof lineText - 1, line).ptr = '\0';
    compose({"Assertion failed: ", expression, ", file ", file, ", line ", lineText});
}

PSystemMemoryError::PSystemMemoryError(const char* text, std::uint64_t requested)
    : PFatalError(Deferred{}) {
    // Built without the heap: this error reports that the heap has run out.
    char hex[17];
    int pos = 16;
    hex[pos] = '\0';
    do {
        hex[--pos] = "0123456789ABCDEF"[requested & 0xF];
        requested >>= 4;
    } while (requested != 0);
    compose({text, ": 0x", hex + pos});
}

PSystemError::PSystemError(const char* text, std::int32_t code)
    : PInternalError(Deferred{}), code_(code) {
    PString systemText;
    try {
        PSystemErrorText(systemText, code);
    } catch (...) {
        systemText.clear();
    }
    compose({text, ": ", systemText.c_str()});
}

PSystemError::PSystemError(const char* text, const char* explanation)
    : PInternalError(Deferred{}), code_(-1) {
    compose({text, ": ", explanation});
}

PSystemMessageSource PSetSystemMessageSource(PSystemMessageSource source) noexcept {
    return g_messageSource.exchange(source);
}

void PSystemErrorText(PString& out, std::int32_t code) {
    PSystemMessageSource source = g_messageSource.load();
    if (!source) {
        source = PPlatformSystemMessageSource();
    }
    char text[256];
    if (source && source(code, text, sizeof text)) {
        // A source that fills the buffer without a terminator must not be read past its end.
        text[sizeof text - 1] = '\0';
        for (char* c = text; *c; ++c) {
            if (*c == '\r' || *c == '\n') {
                *c = ' ';
            }
        }
        out.append(text).append(" (");
    } else {
        out.append("Unknown error (");
    }
    out.appendDecimal(code).append("=0x").appendHex(static_cast<std::uint32_t>(code)).append(')');
}

void PErrorSetHook(std::unique_ptr<PErrorHook> hook) {
    std::shared_ptr<PErrorHook> previous;
    {
        std::lock_guard lock(g_hookMutex);
        previous = std::exchange(g_hook, std::shared_ptr<PErrorHook>(std::move(hook)));
    }
    // `previous` dies here, or later with the last caller still holding it.
}

bool PErrorHasHook() noexcept {
    std::lock_guard lock(g_hookMutex);
    return g_hook != nullptr;
}

bool PErrorTraceEnabled() noexcept {
    return t_traceOn;
}

bool PErrorSetTrace(bool on) noexcept {
    return std::exchange(t_traceOn, on);
}
