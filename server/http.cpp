#include "server/http.h"

#include <strings.h>

std::string_view HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (key.size() == name.size() && strncasecmp(key.data(), name.data(), name.size()) == 0)
            return value;
    return {};
}

HttpResponse& HttpResponse::header(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

HttpResponse& HttpResponse::text(std::string contentType, std::string content) {
    header("Content-Type", std::move(contentType));
    body.clear();
    body.push_back(BodyPart{.bytes = std::move(content)});
    return *this;
}

HttpResponse PlainResponse(int status, std::string_view message) {
    HttpResponse response;
    response.status = status;
    response.text("text/plain; charset=utf-8", std::string(message) + "\n");
    return response;
}

std::string_view StatusText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Content Too Large";
        case 416:
            return "Range Not Satisfiable";
        case 429:
            return "Too Many Requests";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Unknown";
    }
}
