#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "tools/core/pelayout.h"

// Stamping a tracking tag (the trailer that ReadTrackingTrailer reads) into an installer file.
//
// A signed file carries the tag inside its signature (signaturetag.h): the certificate entry is
// rewritten so that the trailer ends the PKCS#7 structure, which ends the file; the signature
// stays valid, also where Windows allows nothing after that structure but padding. An unsigned
// file gets the trailer appended. Writing replaces an earlier tag, of either form; clearing
// gives back the file as it was signed. A non-zero PE checksum is recomputed.
//
// Writing is planned rather than done, so that a server can send a tagged download straight
// from the untagged file: the tagged file is the original's first `keep` bytes with `patches`
// laid over them, then `tail`. Applying a plan to the bytes it was made from gives exactly what
// WriteTrackingTag gives.

struct FilePatch {
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

struct TrackingTagPlan {
    std::uint64_t keep = 0;          // bytes of the original file kept, from its start
    std::vector<FilePatch> patches;  // inside [0, keep), in ascending order, not overlapping
    std::vector<std::uint8_t> tail;  // what follows the kept bytes

    std::uint64_t size() const noexcept { return keep + tail.size(); }
};

// What planning needs of one installer file: its headers' fields, the certificate table's last
// entry (for an unsigned file, at most its last 1024 bytes) and the running sum of its PE
// checksum. Made once per file; each plan then costs a few kilobytes of work, whatever the
// file's size. Planning does not change the base: plans may be made on several threads at once.
class TrackingTagBase {
  public:
    // Reads `file`, all of it (it keeps none but the parts above). Throws PInternalError, with
    // a message for the user, for a file it cannot tag: not a PE file, truncated, too large, a
    // certificate table that is damaged, overlaps the image or is not the end of the file, a
    // signature that is not PKCS#7 signed data, or anything after the signature but padding
    // and a tag.
    explicit TrackingTagBase(std::span<const std::uint8_t> file);

    // The plan that makes the file carry `text` as its tag, replacing the one it has. Throws
    // PInternalError for a text that cannot be a tag: one holding a zero byte, or one whose
    // trailer would be longer than the installer's reader accepts (1024 bytes from the end).
    TrackingTagPlan Plan(std::string_view text) const;

    // The plan that removes the file's tag; with no tag, the plan that changes nothing.
    TrackingTagPlan PlanClear() const;

    bool tagged() const noexcept { return tagged_; }
    std::uint64_t size() const noexcept { return regionStart_ + region_.size(); }

  private:
    TrackingTagPlan PlanFor(const std::vector<std::uint8_t>& region) const;
    std::vector<FilePatch> HeaderPatches(const std::vector<std::uint8_t>& region) const;

    PeLayout layout_;
    std::uint32_t regionStart_ = 0;     // where the bytes a tag changes begin
    std::vector<std::uint8_t> region_;  // the file from there to its end
    std::vector<std::uint8_t> untagged_;
    bool tagged_ = false;
    std::uint32_t checksum_ = 0;  // as found; 0 stays 0
    std::uint64_t wordSum_ = 0;   // PeWordSum of the whole file, its CheckSum counted as zero
};

// Lays `plan` over `file`, the bytes it was made from.
void ApplyTrackingTagPlan(const TrackingTagPlan& plan, std::vector<std::uint8_t>& file);

// Writes the tag of `text` into `file`, replacing an earlier one. Refuses as TrackingTagBase
// and its Plan do, leaving `file` as it was.
void WriteTrackingTag(std::vector<std::uint8_t>& file, std::string_view text);

// Removes the file's tag; false (and the file unchanged) when it has none. Refuses as
// TrackingTagBase does.
bool ClearTrackingTag(std::vector<std::uint8_t>& file);
