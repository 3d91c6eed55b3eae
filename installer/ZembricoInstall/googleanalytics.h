#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "installer/ZembricoInstall/clientsocket.h"
#include "installer/core/analyticspayload.h"
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
// is opened at construction and kept for the life of the object. Every post is a whole request
// written under one lock, so hits from the window thread and the install worker never
// interleave on the connection.
class GoogleAnalytics {
  public:
    // Connects to `collectionHost` ("host" or "host:port"); hits carry `appVersion`. A
    // connection failure is logged once ("PSystemError caught in
    // GoogleAnalytics::GoogleAnalytics():
    // ...") and leaves the object disabled: every hit is then skipped.
    explicit GoogleAnalytics(std::string_view collectionHost = kAnalyticsCollectionHost,
                             std::string appVersion = ExecutableProductVersion());

    void setIdentity(std::string_view appNameBase, std::string_view generalAccount,
                     std::string_view licenceAccount);
    void setGroupId(std::string_view groupId);

    // Post to the general account, then to the licence account when its id differs. Throw
    // PSystemError "Error writing to socket" when the connection fails; skipped when disabled.
    void screenView(std::string_view screenName);
    void event(std::string_view category, std::string_view action, std::string_view label,
               int value);

    bool enabled() const { return enabled_; }

  private:
    void post(const AnalyticsHit& hit);

    std::mutex postLock_;
    ClientSocket socket_;
    std::string collectUrl_;
    AnalyticsIdentity identity_;
    bool enabled_ = false;
};

// The machine GUID without its dashes, read once per process from
// HKLM\SOFTWARE\Microsoft\Cryptography "MachineGuid" (the 64-bit view as a fallback); empty
// when it cannot be read.
const std::string& AnalyticsClientId();
