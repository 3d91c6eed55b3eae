#include <winsock2.h>

// After winsock2.h: a header that brings windows.h must not bring the older winsock.h first.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "installer/ZembricoInstall/googleanalytics.h"
#include "installer/ZembricoInstall/wholeinstalltest.h"
#include "installer/core/capturelog.h"
#include "installer/core/installcodes.h"
#include "plib/perror.h"
#include "plib/winseam/unique.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A listener on the loopback that misbehaves as a collector: it closes what it accepts, or
// holds it without ever reading, or (with its queue full) lets connection attempts go
// unanswered, as a network that swallows packets does.
class BadCollector {
  public:
    enum class Mode { kCloseAfterAccept, kNeverRead, kNeverAnswer };

    explicit BadCollector(Mode mode) : mode_(mode) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        // A queue of one: once it holds a connection, further attempts get no answer.
        listen(listener_, mode == Mode::kNeverAnswer ? 0 : 4);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (mode == Mode::kNeverAnswer) {
            filler_ = socket(AF_INET, SOCK_STREAM, 0);
            ::connect(filler_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        } else {
            thread_ = std::thread([this] { run(); });
        }
    }
    ~BadCollector() {
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        for (SOCKET peer : peers_) closesocket(peer);
        if (filler_ != INVALID_SOCKET) closesocket(filler_);
    }

    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    // True once a connection has been accepted and closed again (kCloseAfterAccept).
    bool waitForClose() const {
        return WaitForSingleObject(closed_.get(), kWouldHangMs) == WAIT_OBJECT_0;
    }

  private:
    void run() {
        for (SOCKET peer; (peer = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) {
            if (mode_ == Mode::kCloseAfterAccept) {
                closesocket(peer);
                SetEvent(closed_.get());
            } else {
                peers_.push_back(peer);
            }
        }
    }

    Mode mode_;
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET filler_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    std::vector<SOCKET> peers_;
    UniqueHandle closed_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
};

// The hits of one wizard run: the space verdict, the licence page, the start, the language
// event, the completion and the WebView2 screen, each to two accounts.
void PostOneRunsHits(GoogleAnalytics& analytics) {
    for (const char* screen : {"InstallationWindow/SufficientSpace", "InstallationWindow/TOS",
                               "InstallationWindow/InstallStarted"})
        analytics.screenView(screen);
    analytics.event("Installation_Language_Change_51569", "English", "English", 0);
    for (const char* screen : {"InstallationWindow/InstallComplete", "InstallationWindow/WV2Close"})
        analytics.screenView(screen);
}

void Report(const char* what, double seconds) {
    std::printf("[ measured ] %s: %.3f s\n", what, seconds);
    testing::Test::RecordProperty(what, std::to_string(seconds));
}

// Every post of one run, timed for the report `what`; the error of the post that failed, if
// one did.
std::optional<PSystemError> PostOneRunReporting(GoogleAnalytics& analytics, const char* what) {
    const Clock::time_point start = Clock::now();
    std::optional<PSystemError> failure;
    try {
        PostOneRunsHits(analytics);
    } catch (const PSystemError& e) {
        failure = e;
    }
    Report(what, SecondsSince(start));
    return failure;
}

// A failed send closes the connection: every later post fails at once, without a socket to
// wait on.
void ExpectLaterPostsFailWithoutSending(GoogleAnalytics& analytics) {
    const std::optional<PSystemError> failure =
        PostOneRunReporting(analytics, "one run's hits after the failure");
    ASSERT_TRUE(failure) << "a post after the failure was sent";
    EXPECT_EQ(std::string(failure->why()).rfind("Error writing to socket: ", 0), 0u)
        << failure->why();
    EXPECT_EQ(failure->code(), WSAENOTSOCK);
}

// A collector that gets no answer is given a few seconds (the installation's log and the end of
// the program wait for the attempt); the system's own patience is minutes. Beyond this the wait
// is not bounded.
constexpr double kBoundedWaitSeconds = 60;

class CollectorFaultTest : public WholeInstallTest {
  protected:
    // The collector's failure changes nothing in the installation's outcome.
    void ExpectInstallCompletes(InstallerWorkerThread& worker) {
        worker.analytics().setIdentity("Zembrico", "UA-1-1", "UA-2-2");
        EXPECT_EQ(Install(worker), ProgressThen(Files().size(), kInstallComplete));
        ExpectEveryFileInstalled();
        EXPECT_TRUE(KeyExists(Key()));
        EXPECT_GE(FindLine(LogLines(Installed("Install.log")), "Install finished"), 0);
    }

    // Constructs a client for `host` and returns the lines it logged, whether it connected and
    // how long the attempt took.
    std::vector<std::string> Construct(const std::string& host, bool& enabled, double& seconds) {
        TakeEarlyLogLines();
        const Clock::time_point start = Clock::now();
        GoogleAnalytics analytics(host, "1.0");
        enabled = analytics.awaitConnection();
        seconds = SecondsSince(start);
        analytics.setIdentity("Zembrico", "UA-1-1", "UA-2-2");
        // Its socket was never connected: a hit that were not skipped would fail.
        const std::optional<PSystemError> failure =
            PostOneRunReporting(analytics, "one run's hits of a disabled client");
        EXPECT_FALSE(failure) << "a disabled client posted: " << failure->why();
        return TakeEarlyLogLines();
    }
};

TEST_F(CollectorFaultTest, UnresolvableHostLogsOnceAndSendsNothing) {
    bool enabled = true;
    double seconds = 0;
    const std::vector<std::string> lines = Construct("no-such-host.invalid", enabled, seconds);
    Report("construction with an unresolvable host", seconds);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(lines,
              std::vector<std::string>{"PSystemError caught in GoogleAnalytics::GoogleAnalytics(): "
                                       "Host name not found: gethostbyname() failed"});
    ExpectInstallCompletes(*MakeWorker("no-such-host.invalid"));
}

TEST_F(CollectorFaultTest, RefusedConnectionLogsOnce) {
    bool enabled = true;
    double seconds = 0;
    const std::vector<std::string> lines = Construct(kNoCollector, enabled, seconds);
    Report("construction with a refused connection", seconds);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string("PSystemError caught in GoogleAnalytics::GoogleAnalytics(): ") +
                            PSystemError("Unable to connect", WSAECONNREFUSED).why());
    ExpectInstallCompletes(*MakeWorker(kNoCollector));
}

TEST_F(CollectorFaultTest, CollectorThatClosesAfterAccepting) {
    BadCollector collector(BadCollector::Mode::kCloseAfterAccept);
    const auto worker = MakeWorker(collector.host());
    GoogleAnalytics& analytics = worker->analytics();
    ASSERT_TRUE(analytics.awaitConnection());
    analytics.setIdentity("Zembrico", "UA-1-1", "UA-2-2");
    ASSERT_TRUE(collector.waitForClose());
    // The system may take the first post after the close; the peer's answer to it, a reset,
    // fails a later one.
    std::optional<PSystemError> failure =
        PostOneRunReporting(analytics, "one run's hits to a collector that closed");
    for (int run = 0; run < 100 && !failure; ++run)
        failure = PostOneRunReporting(analytics, "one more run's hits to it");
    ASSERT_TRUE(failure) << "posts to a closed connection kept succeeding";
    EXPECT_EQ(std::string(failure->why()).rfind("Error writing to socket: ", 0), 0u)
        << failure->why();
    ExpectLaterPostsFailWithoutSending(analytics);

    ExpectInstallCompletes(*worker);
    EXPECT_GE(FindLineStarting(
                  LogLines(Installed("Install.log")),
                  "PError caught in InstallerWorkerThread::DoInstall(): Error writing to socket"),
              0);
}

TEST_F(CollectorFaultTest, CollectorThatNeverReads) {
    BadCollector collector(BadCollector::Mode::kNeverRead);
    GoogleAnalytics analytics(collector.host(), "1.0");
    ASSERT_TRUE(analytics.awaitConnection());
    analytics.setIdentity("Zembrico", "UA-1-1", "UA-2-2");
    const std::optional<PSystemError> first =
        PostOneRunReporting(analytics, "one run's hits to a collector that never reads");
    EXPECT_FALSE(first) << "one run's hits do not fit the connection's buffers: " << first->why();
    // Keep posting until the connection's buffers are full: the post that no longer fits waits
    // for a bounded time and fails, and so does everything after it, at once.
    int hits = 0;
    double longest = 0;
    std::optional<PSystemError> failure;
    for (; hits < 100000 && !failure; ++hits) {
        const Clock::time_point post = Clock::now();
        try {
            analytics.screenView(std::string(1000, 'x'));
        } catch (const PSystemError& e) {
            failure = e;
        }
        longest = std::max(longest, SecondsSince(post));
    }
    std::printf("[ measured ] %d hits of 1 KB each fit before a post blocked\n", hits);
    Report("the longest post to a collector that never reads", longest);
    ASSERT_TRUE(failure) << "100000 hits fitted";
    EXPECT_EQ(failure->code(), WSAETIMEDOUT) << failure->why();
    EXPECT_LT(longest, kBoundedWaitSeconds);
    ExpectLaterPostsFailWithoutSending(analytics);
}

TEST_F(CollectorFaultTest, CollectorThatNeverAnswers) {
    BadCollector collector(BadCollector::Mode::kNeverAnswer);
    bool enabled = true;
    double seconds = 0;
    const std::vector<std::string> lines = Construct(collector.host(), enabled, seconds);
    Report("construction when connecting gets no answer", seconds);
    EXPECT_LT(seconds, kBoundedWaitSeconds);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string("PSystemError caught in GoogleAnalytics::GoogleAnalytics(): ") +
                            PSystemError("Unable to connect", WSAETIMEDOUT).why());
}

const std::string kGaveUp =
    std::string("PSystemError caught in GoogleAnalytics::GoogleAnalytics(): ") +
    PSystemError("Unable to connect", WSAETIMEDOUT).why();

TEST_F(CollectorFaultTest, FailedConnectionStandsInTheLogWhereTheClientWasMade) {
    TakeEarlyLogLines();
    ASSERT_FALSE(PLogIsOn());
    BadCollector collector(BadCollector::Mode::kNeverAnswer);
    EarlyLog("before");
    {
        GoogleAnalytics analytics(collector.host(), "1.0");
        EarlyLog("after");
        analytics.setIdentity("Zembrico", "UA-1-1", "UA-2-2");
        EXPECT_NO_THROW(analytics.screenView("InstallationWindow/SufficientSpace"));
        EXPECT_FALSE(analytics.awaitConnection());
        EarlyLog("once it failed");
    }
    EXPECT_EQ(TakeEarlyLogLines(),
              (std::vector<std::string>{"before", kGaveUp, "after", "once it failed"}));
}

TEST_F(CollectorFaultTest, InstallLogWaitsForTheConnectionAttempt) {
    TakeEarlyLogLines();
    BadCollector collector(BadCollector::Mode::kNeverAnswer);
    EarlyLog("before");
    const auto worker = MakeWorker(collector.host());
    EarlyLog("after");
    // Started while the connection is still tried: its log takes the early lines once the
    // attempt has ended, with the attempt's line in its place.
    ExpectInstallCompletes(*worker);
    std::vector<std::string> lines = LogLines(Installed("Install.log"));
    // A new second between two lines brings a timestamp line.
    std::erase_if(lines, [](const std::string& line) { return line.starts_with("["); });
    const int before = FindLine(lines, "before");
    ASSERT_GE(before, 0);
    ASSERT_LT(before + 2, static_cast<int>(lines.size()));
    EXPECT_EQ(lines[before + 1], kGaveUp);
    EXPECT_EQ(lines[before + 2], "after");
    EXPECT_GT(before, FindLineStarting(lines, "Locale: "));
}

}  // namespace
