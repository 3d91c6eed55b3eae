#pragma once

#include <string>

// Install.log of `installFolder` as the process log while the object lives (a log already
// installed is used as it is), with the lines that waited for it in the early log queue. At the
// end the log is flushed and closed, so that the file is complete on disk while the window
// waits for the user. Window thread, after the worker has ended.
class InstallLogSession {
  public:
    explicit InstallLogSession(const std::string& installFolder);
    ~InstallLogSession();
    InstallLogSession(const InstallLogSession&) = delete;
    InstallLogSession& operator=(const InstallLogSession&) = delete;
};
