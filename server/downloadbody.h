#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/byteranges.h"
#include "server/http.h"
#include "tools/core/trackingtag.h"

// A download's body as it is sent: spans of the build's file, which the network side sends
// from the file, and the few bytes that differ from it, in memory. No request copies the file.
class DownloadBody {
  public:
    explicit DownloadBody(std::shared_ptr<const UniqueFd> file) : file_(std::move(file)) {}

    // Appends `length` bytes of the file from `offset`.
    void addFile(std::uint64_t offset, std::uint64_t length);
    // Appends `bytes`.
    void addBytes(std::string bytes);

    std::uint64_t size() const { return size_; }
    // The parts that send `range` of the body, which must lie inside it.
    std::vector<BodyPart> slice(ByteRange range) const;
    std::vector<BodyPart> whole() const { return slice({0, size_}); }

  private:
    std::shared_ptr<const UniqueFd> file_;
    std::vector<BodyPart> parts_;
    std::uint64_t size_ = 0;
};

// The body of `plan` laid over the build in `file`: the file's long spans are sent from the file;
// the patches, the short spans between them (the headers') and the tail are in memory. Throws
// std::runtime_error when the file is shorter than the plan.
DownloadBody PlanBody(const TrackingTagPlan& plan, std::shared_ptr<const UniqueFd> file);
