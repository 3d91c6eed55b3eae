#include "installer/core/toplevelcatch.h"

#include <exception>

#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"

namespace {

std::optional<std::string> Told(const CatchLog& log, const char* kind, const char* place,
                                const char* why) {
    log(std::string(kind) + " caught in " + place + ": " + why);
    return std::string(why);
}

std::optional<std::string> ToldOther(const CatchRule& rule, const CatchLog& log) {
    if (!rule.other) throw;
    log(std::string(rule.other) + " caught in " + rule.place);
    return std::nullopt;
}

// The name `rule` gives the PError in flight, null when it gives none.
const char* ErrorKind(const CatchRule& rule) {
    try {
        throw;
    } catch (const PSystemError&) {
        if (rule.systemError) return rule.systemError;
        return rule.internalError ? rule.internalError : rule.error;
    } catch (const PInternalError&) {
        return rule.internalError ? rule.internalError : rule.error;
    } catch (const PError&) {
        return rule.error;
    }
}

}  // namespace

void EarlyLogLine(const std::string& line) {
    EarlyLog("%s", line.c_str());
}

std::optional<std::string> LogCaught(const CatchRule& rule, const CatchLog& log) {
    try {
        throw;
    } catch (const PError& e) {
        const char* kind = ErrorKind(rule);
        if (!kind) return ToldOther(rule, log);
        return Told(log, kind, rule.place, e.why());
    } catch (const std::exception& e) {
        if (!rule.exception) return ToldOther(rule, log);
        return Told(log, rule.exception, rule.place, e.what());
    } catch (...) {
        return ToldOther(rule, log);
    }
}

int RunCaught(const char* place, int failureCode, const std::function<int()>& body,
              const std::function<void(const std::string& message)>& report) {
    const CatchRule rule{.place = place, .exception = "std::exception"};
    return Caught(rule, EarlyLogLine, body, [&](const std::optional<std::string>& message) {
        const std::string text =
            message && !message->empty() ? *message : std::string("Unexpected error in ") + place;
        try {
            report(text);
        } catch (...) {
            LogCaught(rule, EarlyLogLine);
        }
        return failureCode;
    });
}
