#include "tools/core/trackingtag.h"

#include <algorithm>

#include "installer/core/littleendian.h"
#include "installer/core/trackingtrailer.h"
#include "plib/perror.h"
#include "tools/core/signaturetag.h"

namespace {

// Differences closer than this become one patch: a patch costs more than a few bytes.
constexpr std::size_t kPatchGap = 8;

std::vector<std::uint8_t> U32Bytes(std::uint32_t value) {
    std::vector<std::uint8_t> bytes(4);
    StoreU32Le(bytes.data(), value);
    return bytes;
}

// How many of `before`'s leading bytes are worth keeping in place for `after`: where matching
// bytes most outnumber differing ones. Past a shift they stop matching.
std::size_t InPlaceLength(const std::vector<std::uint8_t>& before,
                          const std::vector<std::uint8_t>& after) {
    const std::size_t common = std::min(before.size(), after.size());
    std::size_t best = 0;
    long score = 0, bestScore = 0;
    for (std::size_t i = 0; i < common; ++i) {
        score += before[i] == after[i] ? 1 : -1;
        if (score > bestScore) {
            bestScore = score;
            best = i + 1;
        }
    }
    return best;
}

// The patches that turn `before`'s first `length` bytes, at file position `at`, into `after`'s.
void AddDifferences(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after,
                    std::size_t length, std::uint64_t at, std::vector<FilePatch>& patches) {
    for (std::size_t i = 0; i < length;) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1, lastDifference = i;
        while (end < length && end - lastDifference <= kPatchGap) {
            if (before[end] != after[end]) lastDifference = end;
            ++end;
        }
        patches.push_back(FilePatch{
            at + i,
            std::vector<std::uint8_t>(after.begin() + i, after.begin() + lastDifference + 1)});
        i = lastDifference + 1;
    }
}

}  // namespace

TrackingTagBase::TrackingTagBase(std::span<const std::uint8_t> file)
    : layout_(ReadPeLayout(file)),
      checksum_(LoadU32Le(file.data() + layout_.checksumField)),
      wordSum_(PeWordSum(file, 0) -
               PeWordSum(file.subspan(layout_.checksumField, 4), layout_.checksumField)) {
    if (layout_.signedFile()) {
        regionStart_ = LastCertificateEntry(file, layout_);
        region_.assign(file.begin() + regionStart_, file.end());
        UntaggedEntry untagged = UntagCertificateEntry(region_);
        untagged_ = std::move(untagged.entry);
        tagged_ = untagged.hadTag;
        return;
    }
    // A tag of an unsigned file lies after the section data and within the reader's reach.
    const auto size = static_cast<std::uint32_t>(file.size());
    regionStart_ = std::max(layout_.imageEnd, size - std::min(size, kTrackingMaxDistance));
    region_.assign(file.begin() + regionStart_, file.end());
    const std::uint32_t trailer = TrackingTrailerLength(region_);
    untagged_.assign(region_.begin(), region_.end() - trailer);
    tagged_ = trailer != 0;
}

TrackingTagPlan TrackingTagBase::Plan(std::string_view text) const {
    if (!layout_.signedFile()) {
        std::vector<std::uint8_t> region = untagged_;
        const std::vector<std::uint8_t> trailer = MakeTrackingTrailer(text);
        region.insert(region.end(), trailer.begin(), trailer.end());
        return PlanFor(region);
    }
    return PlanFor(TagCertificateEntry(untagged_, text));
}

TrackingTagPlan TrackingTagBase::PlanClear() const {
    if (!tagged_) return TrackingTagPlan{size(), {}, {}};
    return PlanFor(untagged_);
}

// The security directory's size and the checksum, where they change.
std::vector<FilePatch> TrackingTagBase::HeaderPatches(
    const std::vector<std::uint8_t>& region) const {
    std::vector<FilePatch> patches;
    const std::uint64_t newSize = regionStart_ + region.size();
    std::uint64_t wordSum =
        wordSum_ - PeWordSum(region_, regionStart_) + PeWordSum(region, regionStart_);
    if (layout_.signedFile()) {
        const auto tableSize = static_cast<std::uint32_t>(newSize - layout_.tableOffset);
        const std::uint32_t field = layout_.securityEntry + 4;
        wordSum = wordSum - PeWordSum(U32Bytes(layout_.tableSize), field) +
                  PeWordSum(U32Bytes(tableSize), field);
        if (tableSize != layout_.tableSize) patches.push_back({field, U32Bytes(tableSize)});
    }
    const std::uint32_t checksum = checksum_ == 0 ? 0 : PeChecksumOfSum(wordSum, newSize);
    if (checksum != checksum_) patches.push_back({layout_.checksumField, U32Bytes(checksum)});
    std::sort(patches.begin(), patches.end(),
              [](const FilePatch& a, const FilePatch& b) { return a.offset < b.offset; });
    return patches;
}

TrackingTagPlan TrackingTagBase::PlanFor(const std::vector<std::uint8_t>& region) const {
    TrackingTagPlan plan;
    plan.patches = HeaderPatches(region);
    const std::size_t inPlace = InPlaceLength(region_, region);
    AddDifferences(region_, region, inPlace, regionStart_, plan.patches);
    plan.keep = regionStart_ + inPlace;
    plan.tail.assign(region.begin() + inPlace, region.end());
    return plan;
}

void ApplyTrackingTagPlan(const TrackingTagPlan& plan, std::vector<std::uint8_t>& file) {
    PASSERT(plan.keep <= file.size());
    file.resize(plan.keep);
    for (const FilePatch& patch : plan.patches) {
        PASSERT(patch.offset + patch.bytes.size() <= plan.keep);
        std::copy(patch.bytes.begin(), patch.bytes.end(), file.begin() + patch.offset);
    }
    file.insert(file.end(), plan.tail.begin(), plan.tail.end());
}

void WriteTrackingTag(std::vector<std::uint8_t>& file, std::string_view text) {
    const TrackingTagPlan plan = TrackingTagBase(file).Plan(text);
    ApplyTrackingTagPlan(plan, file);
}

bool ClearTrackingTag(std::vector<std::uint8_t>& file) {
    const TrackingTagBase base(file);
    if (!base.tagged()) return false;
    ApplyTrackingTagPlan(base.PlanClear(), file);
    return true;
}
