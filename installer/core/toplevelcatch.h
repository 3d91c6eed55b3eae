#pragma once

#include <functional>
#include <optional>
#include <string>

// The places the log names when it tells of an exception caught there. Support, the tests and
// the end-to-end cases read these lines: each text stays as it is.
namespace CatchPlace {
inline constexpr char kWinMain[] = "WinMain()";
inline constexpr char kUninstaller[] = "the uninstaller";
inline constexpr char kTopWindowProc[] = "MyCTopWindow::_windowProc()";
inline constexpr char kControlProc[] = "MyCWnd::_windowProc()";
inline constexpr char kMessageBoxProc[] = "MyMsgBox::_windowProc()";
inline constexpr char kWizardProc[] = "ZembricoInstallWindow::WindowProc()";
inline constexpr char kWizard[] = "ZembricoInstallWindow::ZembricoInstallWindow()";
inline constexpr char kWizardScreenView[] = "ZembricoInstallWindow::screenView()";
inline constexpr char kWizardStartInstall[] = "ZembricoInstallWindow::startInstall()";
inline constexpr char kUninstallPrevious[] = "ZembricoInstallWindow::UninstallPreviousVersion()";
inline constexpr char kWorker[] = "InstallerWorkerThread::_workerThread()";
inline constexpr char kDoInstall[] = "InstallerWorkerThread::DoInstall()";
inline constexpr char kStoreTInfo[] = "InstallerWorkerThread::StoreTInfoFile()";
inline constexpr char kUserIni[] = "InstallerWorkerThread::SetUserIniFile()";
inline constexpr char kUserIniRead[] = "InstallerWorkerThread::SetUserIniFile() - read";
inline constexpr char kAppIni[] = "InstallerWorkerThread::StoreAppIniFile()";
inline constexpr char kAnalyticsConnect[] = "GoogleAnalytics::GoogleAnalytics()";
inline constexpr char kAnalyticsSend[] = "GoogleAnalytics::sendWaitingHits()";
}  // namespace CatchPlace

// What one place catches and how its line "<name> caught in <place>: <message>" names it. The
// most specific kind with a name tells it: PSystemError, then PInternalError, then PError, then
// anything else; another std::exception, then anything else. Anything else is told without a
// message ("<other> caught in <place>"); an exception left without a name passes on.
struct CatchRule {
    const char* place;
    const char* systemError = nullptr;
    const char* internalError = nullptr;
    const char* error = "PError";
    const char* exception = nullptr;
    const char* other = "...";
};

// Writes one line to a log.
using CatchLog = std::function<void(const std::string& line)>;
// Writes to the early log (EarlyLog): the line waits for the first log file if there is none yet.
void EarlyLogLine(const std::string& line);

// Logs the exception in flight through `log` as `rule` names it; returns its message, or nothing
// for a kind told without one. Rethrows an exception the rule leaves without a name.
std::optional<std::string> LogCaught(const CatchRule& rule, const CatchLog& log);

// Runs `body`; an exception `rule` names is logged through `log`, and `fallback` answers instead,
// given the exception's message (nothing for a kind told without one).
template <typename Body, typename Fallback>
auto Caught(const CatchRule& rule, const CatchLog& log, Body&& body, Fallback&& fallback)
    -> decltype(body()) {
    std::optional<std::string> message;
    try {
        return body();
    } catch (...) {
        message = LogCaught(rule, log);
    }
    return fallback(message);
}

// A fallback for a place where the logged line is all there is to do.
inline void DropCaught(const std::optional<std::string>&) {}

// Runs the body of a program's entry point so that nothing escapes it unexplained. An exception
// that leaves `body` is logged (EarlyLog) naming `place`:
//   "PError caught in <place>: <message>", "std::exception caught in <place>: <what>", or
//   "... caught in <place>" for anything else;
// then `report` gets a text for the user (the message, or "Unexpected error in <place>" when the
// exception carries none or an empty one), and the result is `failureCode`. An exception out of
// `report` itself is logged and dropped. Otherwise the result is the body's.
int RunCaught(const char* place, int failureCode, const std::function<int()>& body,
              const std::function<void(const std::string& message)>& report);
