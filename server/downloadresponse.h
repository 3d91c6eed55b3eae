#pragma once

#include <string>

#include "server/downloadbody.h"
#include "server/http.h"

// The answer to a GET or HEAD of a download whose bytes are `body` and whose strong validator
// is `etag`, as the request's conditional and range headers ask: 304 when If-None-Match lists
// the tag; 416 for a range outside the body; 206 with one range, or with several as
// multipart/byteranges; otherwise 200 with the whole body. A range with an If-Range that does
// not hold gets the whole body. ETag and Accept-Ranges are set; `endsBody` tells whether the
// response carries the body's last byte.
HttpResponse AnswerDownload(const HttpRequest& request, const DownloadBody& body,
                            const std::string& etag, bool& endsBody);
