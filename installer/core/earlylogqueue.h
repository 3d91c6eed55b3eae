#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "plib/plog.h"

// Keeps the log lines written before Install.log exists, so that the installation's log starts
// with everything the window and start-up logged. Both threads add; the worker flushes once
// its log is installed.
class EarlyLogQueue {
 public:
  static constexpr size_t kMaxLineLength = 255;

  // The process-wide queue, made on first use.
  static EarlyLogQueue& instance();

  // Writes the line at once when a logger is installed; otherwise queues it, cut to
  // kMaxLineLength characters.
  void add(const char* format, ...) PLOG_PRINTF(2, 3);
  // Writes the queued lines, in order, through the installed logger and forgets them; without
  // a logger does nothing.
  void flush();

 private:
  std::mutex lock_;
  std::vector<std::string> lines_;
};
