#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/uniquefd.h"

// Requests and responses as the routes see them; the network side (httpserver.cpp) turns
// bytes into these and back, so that no route depends on the HTTP library.

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method;  // as sent, e.g. "GET"
    std::string target;  // as sent, e.g. "/collect?v=1"
    std::string path;    // the target up to "?", not decoded
    std::string query;   // after the first "?", not decoded
    HttpHeaders headers;
    std::string body;
    std::string peer;  // the client's address, without port

    // The first header named `name` (ASCII case ignored), or "".
    std::string_view header(std::string_view name) const;
};

// A piece of a response body: bytes in memory, or `length` bytes of `file` from `offset`, which
// the network side sends from the file without copying them into memory.
struct BodyPart {
    std::string bytes;
    std::shared_ptr<const UniqueFd> file;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;

    std::uint64_t size() const { return file ? length : bytes.size(); }
};

struct HttpResponse {
    int status = 200;
    HttpHeaders headers;  // Content-Length and Connection are the network side's
    std::vector<BodyPart> body;
    // Sends the headers with the body's length and no body (answers to HEAD).
    bool headersOnly = false;
    // Told once, when the response has ended: the body bytes that went out and whether all did.
    std::function<void(std::uint64_t bytesSent, bool complete)> finished;

    HttpResponse& header(std::string name, std::string value);
    // The whole body as one text, with its type.
    HttpResponse& text(std::string contentType, std::string body);
};

// A plain response of `status` whose body is `message` and a line end.
HttpResponse PlainResponse(int status, std::string_view message);

// Hands a route's response to the network side; call it once, from any thread.
using Reply = std::function<void(HttpResponse response)>;

// The reason phrase of `status` ("OK", "Not Found", ...).
std::string_view StatusText(int status);
