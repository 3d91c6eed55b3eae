#pragma once

#include <string>
#include <string_view>
#include <vector>

// Measurement Protocol (version 1) bodies for the setup program's analytics hits. Values are
// joined as they are, without escaping: the collector receives spaces, commas and non-ASCII
// bytes unchanged.

// Who reports: the fields every hit carries.
struct AnalyticsIdentity {
    std::string appNameBase;     // the site's name, e.g. "Zembrico.FR"
    std::string appVersion;      // from the version resource; may be empty
    std::string generalAccount;  // "UA-..." of the general account
    std::string licenceAccount;  // "UA-..." of the licence account; may be empty
    std::string clientId;        // MachineGuid without dashes; may be empty
    std::string groupId;         // GID of the tracking data; empty when there is none
};

// One screen view or one event.
struct AnalyticsHit {
    enum class Type { ScreenView, Event };
    Type type = Type::ScreenView;
    std::string screenName;  // screen views
    std::string category;    // events
    std::string action;
    std::string label;  // omitted from the body when empty
    int value = 0;      // omitted from the body when 0
};

// The machine GUID with every "-" removed.
std::string ClientIdFromMachineGuid(std::string_view machineGuid);

// The application name sent as "an": the base, with ".com" appended when it has no ".".
std::string AnalyticsAppName(std::string_view appNameBase);

// The form-encoded body of `hit` for the account `accountId`.
std::string ComposeHitPayload(const AnalyticsIdentity& identity, std::string_view accountId,
                              const AnalyticsHit& hit);

// The bodies to post for `hit`, in order: one for the general account, then one for the licence
// account unless its id equals the general one byte for byte.
std::vector<std::string> HitPayloads(const AnalyticsIdentity& identity, const AnalyticsHit& hit);
