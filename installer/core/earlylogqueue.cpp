#include "installer/core/earlylogqueue.h"

#include <cstdarg>
#include <cstdio>


EarlyLogQueue& EarlyLogQueue::instance() {
  static EarlyLogQueue queue;
  return queue;
}

void EarlyLogQueue::add(const char* format, ...) {
  va_list args;
  va_start(args, format);
  if (PLogIsOn()) {
    PLogV(/*level=*/0, format, args);
  } else {
    char line[kMaxLineLength + 1];
    std::vsnprintf(line, sizeof line, format, args);
    std::lock_guard lock(lock_);
    lines_.emplace_back(line);
  }
  va_end(args);
}

void EarlyLogQueue::flush() {
  if (!PLogIsOn()) return;
  std::lock_guard lock(lock_);
  for (const std::string& line : lines_) PLog("%s", line.c_str());
  lines_.clear();
}
