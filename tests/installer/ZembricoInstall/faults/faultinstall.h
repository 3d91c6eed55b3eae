#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "installer/ZembricoInstall/wholeinstalltest.h"
#include "plib/winseam/unique.h"

// A child process of this test program that runs one of the DISABLED_ child tests (they run
// only when asked for by name). The child finds its arguments in the environment and signals
// the named event `ready` when it has reached the state the parent wants.
class ChildProcess {
  public:
    ChildProcess(const char* testName, const std::vector<std::pair<std::string, std::string>>& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True when the child signalled ready; false when it ended first (or would hang).
    bool waitReady();
    void kill();

  private:
    UniqueHandle ready_;
    UniqueHandle process_;
};

// The value of `name` in the environment, empty when it is not set.
std::string Environment(const char* name);
// Inside a child: tells the parent that the child is ready.
void SignalParent();
// Inside a child: returns when the parent has ended (the parent usually ends the child first).
void HoldUntilParentEnds();
