#include "server/downloadbody.h"

#include <algorithm>

#include "plib/perror.h"

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
