#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The parts of an http:// address and the head of a request to it. The setup program's only
// requests are analytics posts; nothing here is escaped or validated beyond what parsing needs.
struct UrlParts {
    std::string host;
    std::uint16_t port = 80;
    std::string path = "/";                                    // query kept, fragment removed
    std::vector<std::pair<std::string, std::string>> headers;  // in insertion order
    std::string proxy;             // non-empty: the request line carries the absolute address
    bool hostWithoutPort = false;  // true: "Host" omits the port

    void addHeader(std::string name, std::string value);
};

// Splits "http://host[:port][/path[#fragment]]" (or https://, port 443). Throws
// PInternalError "Unknown protocol" for any other scheme. The port is read up to the first
// non-digit.
UrlParts ParseUrl(std::string_view url);

// "http://" + host + (":" + port unless 80) + path.
std::string ComposeUrl(std::string_view host, std::uint16_t port, std::string_view path);

// The request line, "Host" (with the port unless hostWithoutPort), "Pragma: no-cache", the
// headers in order and the empty line; every line ends in CR LF. The body follows directly.
std::string ComposeRequestHead(std::string_view method, const UrlParts& url);

// Adds "Content-Type" and "Content-Length" to `url`'s headers, then composes a POST head.
std::string ComposePost(UrlParts& url, std::uint64_t bodyLength, std::string_view contentType);
