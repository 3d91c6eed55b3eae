#pragma once

#include <functional>
#include <string>

// Runs the body of a program's entry point so that nothing escapes it unexplained. An exception
// that leaves `body` is logged (EarlyLog) naming `place`:
//   "PError caught in <place>: <message>", "std::exception caught in <place>: <what>", or
//   "... caught in <place>" for anything else;
// then `report` gets a text for the user (the message, or "Unexpected error in <place>" when the
// exception carries none or an empty one), and the result is `failureCode`. An exception out of
// `report` itself is logged and dropped. Otherwise the result is the body's.
int RunCaught(const char* place, int failureCode, const std::function<int()>& body,
              const std::function<void(const std::string& message)>& report);
