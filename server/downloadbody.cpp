#include "server/downloadbody.h"

#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "plib/perror.h"

namespace {

// Spans of the file shorter than this between patches go into memory with them, so that the
// headers' few changed bytes cost one write, not five.
constexpr std::uint64_t kInlineSpan = 16 << 10;

void AppendFromFile(std::string& to, const UniqueFd& file, std::uint64_t offset,
                    std::uint64_t length) {
    const std::size_t start = to.size();
    to.resize(start + length);
    std::uint64_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(file.get(), to.data() + start + done, length - done,
                                    static_cast<off_t>(offset + done));
        if (got <= 0) throw std::runtime_error("the build is shorter than its plan");
        done += static_cast<std::uint64_t>(got);
    }
}

}  // namespace

void DownloadBody::addFile(std::uint64_t offset, std::uint64_t length) {
    if (length == 0) return;
    parts_.push_back(BodyPart{.file = file_, .offset = offset, .length = length});
    size_ += length;
}

void DownloadBody::addBytes(std::string bytes) {
    size_ += bytes.size();
    if (!bytes.empty()) parts_.push_back(BodyPart{.bytes = std::move(bytes)});
}

std::vector<BodyPart> DownloadBody::slice(ByteRange range) const {
    PASSERT(range.first + range.length <= size_);
    std::vector<BodyPart> out;
    std::uint64_t at = 0;
    const std::uint64_t end = range.first + range.length;
    for (const BodyPart& part : parts_) {
        const std::uint64_t from = std::max(range.first, at);
        const std::uint64_t to = std::min(end, at + part.size());
        if (from < to) {
            BodyPart piece;
            if (part.file) {
                piece = BodyPart{
                    .file = part.file, .offset = part.offset + (from - at), .length = to - from};
            } else {
                piece.bytes = part.bytes.substr(from - at, to - from);
            }
            out.push_back(std::move(piece));
        }
        at += part.size();
        if (at >= end) break;
    }
    return out;
}

DownloadBody PlanBody(const TrackingTagPlan& plan, std::shared_ptr<const UniqueFd> file) {
    DownloadBody body(file);
    std::string pending;
    std::uint64_t at = 0;
    const auto fileUpTo = [&](std::uint64_t end) {
        if (end - at < kInlineSpan) {
            AppendFromFile(pending, *file, at, end - at);
        } else {
            body.addBytes(std::exchange(pending, {}));
            body.addFile(at, end - at);
        }
        at = end;
    };
    for (const FilePatch& patch : plan.patches) {
        fileUpTo(patch.offset);
        pending.append(patch.bytes.begin(), patch.bytes.end());
        at += patch.bytes.size();
    }
    fileUpTo(plan.keep);
    pending.append(plan.tail.begin(), plan.tail.end());
    body.addBytes(std::move(pending));
    return body;
}
