#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "installer/ZembricoInstall/clientsocket.h"
#include "installer/core/analyticspayload.h"
#include "installer/core/earlylogqueue.h"
#include "installer/core/httprequest.h"
#include "plib/pstring.h"

// The collection host of this build ("host" or "host:port"), from the build setting
// ZB_ANALYTICS_HOST, defined by each program that links the engine.
extern const char kAnalyticsCollectionHost[];

// The ProductVersion text of the version resource of the file at `path` (mixed encoding; its
// first language and code page), or empty.
std::string ProductVersionOf(const PString& path);
// The same for the running executable.
std::string ExecutableProductVersion();

// Reports the installation's milestones as Measurement Protocol hits over one connection that
// is made on a thread of its own, so that no caller waits for the network, and kept for the life
// of the object. Every post is a whole request written under one lock, so hits from the window
// thread and the install worker never interleave on the connection.
class GoogleAnalytics {
  public:
    // Starts connecting to `collectionHost` ("host" or "host:port"); hits carry `appVersion`.
    // A connection failure is logged once ("PSystemError caught in
    // GoogleAnalytics::GoogleAnalytics(): ...") where the early log stood when the object was
    // made, and every hit is then skipped.
    explicit GoogleAnalytics(std::string_view collectionHost = kAnalyticsCollectionHost,
                             std::string appVersion = ExecutableProductVersion());
    // Waits for the connection attempt to end (the socket's patience bounds it) and for the
    // hits that waited for it to be sent.
    ~GoogleAnalytics();
    GoogleAnalytics(const GoogleAnalytics&) = delete;
    GoogleAnalytics& operator=(const GoogleAnalytics&) = delete;

    void setIdentity(std::string_view appNameBase, std::string_view generalAccount,
                     std::string_view licenceAccount);
    void setGroupId(std::string_view groupId);

    // Post to the general account, then to the licence account when its id differs. Hits asked
    // for while the connection is being made wait and are sent, in order, once it is up. Throw
    // PSystemError "Error writing to socket" when the connection fails; skipped when it could
    // not be made.
    void screenView(std::string_view screenName);
    void event(std::string_view category, std::string_view action, std::string_view label,
               int value);

    // Waits until the connection attempt has ended; true when it connected.
    bool awaitConnection();

  private:
    enum class State { kConnecting, kConnected, kFailed };

    void connect(const UrlParts& address);
    // Sends the hits that waited for the connection, in order. When one cannot be sent the
    // rest go with it: the failed send has closed the connection.
    void sendWaitingHits();
    // No connection: every hit, waiting or later, is skipped.
    void disable();
    void post(const AnalyticsHit& hit);

    std::mutex postLock_;
    std::condition_variable settled_;
    State state_ = State::kConnecting;
    // Whole requests, in the order they were asked for.
    std::vector<std::string> waiting_;
    ClientSocket socket_;
    std::string collectUrl_;
    AnalyticsIdentity identity_;
    EarlyLogQueue::Place logPlace_;
    std::thread connector_;
};

// The machine GUID without its dashes, read once per process from
// HKLM\SOFTWARE\Microsoft\Cryptography "MachineGuid" (the 64-bit view as a fallback); empty
// when it cannot be read.
const std::string& AnalyticsClientId();
