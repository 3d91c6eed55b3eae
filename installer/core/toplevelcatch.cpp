#include "installer/core/toplevelcatch.h"

#include <exception>

#include "installer/core/earlylogqueue.h"
#include "plib/perror.h"

namespace {

// Logs the exception in flight; returns its message, empty when it has none.
std::string LogCurrentException(const char* place) {
    try {
        throw;
    } catch (const PError& e) {
        EarlyLog("PError caught in %s: %s", place, e.why());
        return e.why();
    } catch (const std::exception& e) {
        EarlyLog("std::exception caught in %s: %s", place, e.what());
        return e.what();
    } catch (...) {
        EarlyLog("... caught in %s", place);
        return {};
    }
}

}  // namespace

int RunCaught(const char* place, int failureCode, const std::function<int()>& body,
              const std::function<void(const std::string& message)>& report) {
    std::string message;
    try {
        return body();
    } catch (...) {
        message = LogCurrentException(place);
    }
    if (message.empty()) message = std::string("Unexpected error in ") + place;
    try {
        report(message);
    } catch (...) {
        LogCurrentException(place);
    }
    return failureCode;
}
