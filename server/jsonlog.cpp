#include "server/jsonlog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <new>

#include "plib/plog.h"
#include "plib/putf8.h"

namespace {

std::mutex gSinkLock;
LogSink gSink;

void WriteLine(std::string_view line) {
    std::lock_guard lock(gSinkLock);
    if (gSink) {
        gSink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

std::string NowUtc() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    const std::time_t seconds = ms / 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms % 1000));
    return text;
}

void AppendEscaped(std::string& out, std::int32_t cp) {
    switch (cp) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    if (cp < 0x20 || cp == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(cp));
        out += escaped;
        return;
    }
    char bytes[kUtf8MaxSequence];
    out.append(bytes, PUtf8Encode(cp, bytes));
}

// The core code's lines, as events; nothing else of a logger applies to a server. The lines
// the foundation writes when a log starts describe an installer's process and are left out.
class CoreLog : public PLogBase {
  public:
    bool started = false;

    PString fileName() const override { return PString(); }
    bool reopen() override { return false; }
    void addListener(std::unique_ptr<PLogListener>) override {}
    bool checkBeforeWrite(bool) override { return true; }
    void changeOptions(std::uint32_t, std::uint32_t) override {}
    void writeFormatted(const char* prefix, const char* format, va_list args) override {
        if (!started) return;
        char message[1024];
        std::vsnprintf(message, sizeof message, format, args);
        LogEvent("core").text("message", std::string(prefix ? prefix : "") + message);
    }
    void writeRaw(const char* text) override {
        if (started) LogEvent("core").text("message", text);
    }
    void writeThreadContext() override {}
    void flush() override {}
    bool testOption(std::uint32_t) const override { return false; }
    void setFlushInterval(std::int64_t) override {}
    void notifyListeners() override {}
};

}  // namespace

LogEvent::LogEvent(std::string_view event) : line_("{\"time\":\"" + NowUtc() + "\"") {
    text("event", event);
}

LogEvent::~LogEvent() {
    line_ += "}\n";
    WriteLine(line_);
}

LogEvent& LogEvent::text(std::string_view key, std::string_view value) {
    line_ += ',';
    AppendJsonString(line_, key);
    line_ += ':';
    AppendJsonString(line_, value);
    return *this;
}

LogEvent& LogEvent::number(std::string_view key, std::int64_t value) {
    line_ += ',';
    AppendJsonString(line_, key);
    line_ += ':' + std::to_string(value);
    return *this;
}

LogSink SetLogSink(LogSink sink) {
    std::lock_guard lock(gSinkLock);
    std::swap(gSink, sink);
    return sink;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    const char* cursor = text.data();
    const char* end = cursor + text.size();
    while (cursor < end) {
        const std::int32_t cp = PUtf8Decode(cursor, end);
        if (cp > 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendEscaped(out, cp);
            continue;
        }
        if (cp == 0)
            out += "\\u0000";
        else
            out += "\\ufffd";
        // A zero byte or a cut-off sequence leaves the cursor where it was.
        if (cp == 0 || cp == -1) ++cursor;
    }
    out += '"';
}

CoreLogGuard::CoreLogGuard() {
    auto log = std::make_unique<CoreLog>();
    CoreLog& started = *log;
    PLogInit(std::move(log));
    started.started = true;
    // The foundation turns an exhausted heap into its own error; a server wants std::bad_alloc,
    // which its request handlers catch.
    std::set_new_handler(nullptr);
}

CoreLogGuard::~CoreLogGuard() {
    PLogExit();
}
