#include "installer/core/httprequest.h"

#include <algorithm>

#include "plib/perror.h"

namespace {

// Digits up to the first non-digit; an overlong number wraps as a 16-bit port would.
std::uint16_t ReadPort(std::string_view text) {
    std::uint16_t port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        port = static_cast<std::uint16_t>(port * 10 + (c - '0'));
    }
    return port;
}

}  // namespace

void UrlParts::addHeader(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
}

UrlParts ParseUrl(std::string_view url) {
    UrlParts parts;
    std::string_view rest;
    if (url.starts_with("http://")) {
        parts.port = 80;
        rest = url.substr(7);
    } else if (url.starts_with("https://")) {
        parts.port = 443;
        rest = url.substr(8);
    } else {
        throw PInternalError("Unknown protocol");
    }
    const size_t slash = rest.find('/');
    const size_t colon = rest.find(':');
    const size_t hostEnd = std::min(slash, colon);
    parts.host = rest.substr(0, hostEnd);
    if (colon != std::string_view::npos && colon < slash)
        parts.port = ReadPort(rest.substr(colon + 1));
    if (slash != std::string_view::npos) {
        const std::string_view path = rest.substr(slash);
        parts.path.assign(path.substr(0, path.find('#')));
    }
    return parts;
}

std::string ComposeUrl(std::string_view host, std::uint16_t port, std::string_view path) {
    std::string url = "http://";
    url.append(host);
    if (port != 80) {
        url += ':';
        url += std::to_string(port);
    }
    url.append(path);
    return url;
}

std::string ComposeRequestHead(std::string_view method, const UrlParts& url) {
    const std::string port = std::to_string(url.port);
    std::string head(method);
    if (url.proxy.empty())
        head += " " + url.path;
    else
        head += " http://" + url.host + ":" + port + url.path;
    head += " HTTP/1.1\r\n";
    head += "Host: " + url.host;
    if (!url.hostWithoutPort) head += ":" + port;
    head += "\r\nPragma: no-cache\r\n";
    for (const auto& [name, value] : url.headers) head += name + ": " + value + "\r\n";
    head += "\r\n";
    return head;
}

std::string ComposePost(UrlParts& url, std::uint64_t bodyLength, std::string_view contentType) {
    url.addHeader("Content-Type", std::string(contentType));
    url.addHeader("Content-Length", std::to_string(bodyLength));
    return ComposeRequestHead("POST", url);
}
