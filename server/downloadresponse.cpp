#include "server/downloadresponse.h"

namespace {

std::string ContentRange(const ByteRange& range, std::uint64_t size) {
    return "bytes " + std::to_string(range.first) + "-" +
           std::to_string(range.first + range.length - 1) + "/" + std::to_string(size);
}

void Append(std::vector<BodyPart>& to, std::vector<BodyPart> parts) {
    for (BodyPart& part : parts) to.push_back(std::move(part));
}

// The boundary comes from the tag (URL-safe Base64 of a digest), which no body can predict.
void AnswerRanges(HttpResponse& response, const DownloadBody& body,
                  const std::vector<ByteRange>& ranges, const std::string& etag) {
    response.status = 206;
    if (ranges.size() == 1) {
        response.header("Content-Type", "application/octet-stream");
        response.header("Content-Range", ContentRange(ranges[0], body.size()));
        response.body = body.slice(ranges[0]);
        return;
    }
    const std::string boundary = "zbserve-" + etag.substr(1, etag.size() - 2);
    response.header("Content-Type", "multipart/byteranges; boundary=" + boundary);
    for (const ByteRange& range : ranges) {
        response.body.push_back(BodyPart{
            .bytes = "\r\n--" + boundary + "\r\nContent-Type: application/octet-stream\r\n" +
                     "Content-Range: " + ContentRange(range, body.size()) + "\r\n\r\n"});
        Append(response.body, body.slice(range));
    }
    response.body.push_back(BodyPart{.bytes = "\r\n--" + boundary + "--\r\n"});
}

}  // namespace

HttpResponse AnswerDownload(const HttpRequest& request, const DownloadBody& body,
                            const std::string& etag, bool& endsBody) {
    HttpResponse response;
    response.header("ETag", etag);
    response.header("Accept-Ranges", "bytes");
    endsBody = false;
    if (NoneMatchHolds(request.header("If-None-Match"), etag)) {
        response.status = 304;
        return response;
    }
    RangeAnswer ranges;
    if (IfRangeHolds(request.header("If-Range"), etag))
        ranges = ParseRange(request.header("Range"), body.size());
    switch (ranges.kind) {
        case RangeAnswer::Unsatisfiable:
            response = PlainResponse(416, "Range Not Satisfiable");
            response.header("ETag", etag);
            response.header("Content-Range", "bytes */" + std::to_string(body.size()));
            return response;
        case RangeAnswer::Partial:
            AnswerRanges(response, body, ranges.ranges, etag);
            endsBody = ranges.ranges.back().first + ranges.ranges.back().length == body.size();
            return response;
        case RangeAnswer::Whole:
            response.header("Content-Type", "application/octet-stream");
            response.body = body.whole();
            endsBody = true;
            return response;
    }
    return response;
}
