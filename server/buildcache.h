#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "server/buildfolder.h"
#include "tools/core/trackingtag.h"

// What serving one version of a build needs, made once from its whole file.
struct PreparedBuild {
    std::string version;  // OpenBuild::version
    std::string digest;   // SHA-256 of the file, URL-safe Base64: the same on every replica
    std::optional<TrackingTagBase> base;  // what planning a tag needs of the file
    std::string untaggable;               // without a base: why the file cannot carry a tag
};

// Prepared builds by name. A build is read whole once per version of its file (a few tens of
// milliseconds for an installer); requests for it meanwhile wait for that one reading.
class BuildCache {
  public:
    // The preparation of `build`'s version. Throws std::runtime_error when its file cannot be
    // read.
    std::shared_ptr<const PreparedBuild> prepare(const OpenBuild& build);

  private:
    struct Slot {
        std::mutex lock;
        std::shared_ptr<const PreparedBuild> prepared;
    };

    std::mutex lock_;
    std::unordered_map<std::string, std::shared_ptr<Slot>> slots_;
};
