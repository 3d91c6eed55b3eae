#include "installer/core/httprequest.h"

#include <gtest/gtest.h>

#include "plib/perror.h"

namespace {

TEST(ParseUrl, Table) {
    struct Case {
        const char* url;
        const char* host;
        std::uint16_t port;
        const char* path;
    };
    const Case cases[] = {
        {"http://collect.example.net/collect", "collect.example.net", 80, "/collect"},
        {"http://collect.example.net:8080", "collect.example.net", 8080, "/"},
        {"http://h/a:b/c", "h", 80, "/a:b/c"},
        {"http://h:81/p?q=1#frag", "h", 81, "/p?q=1"},
        {"https://secure.example.net/x", "secure.example.net", 443, "/x"},
        {"http://h:12ab/p", "h", 12, "/p"},
        {"http://h", "h", 80, "/"},
        {"http://", "", 80, "/"},
        {"http://h:65537/", "h", 1, "/"},
    };
    for (const Case& c : cases) {
        const UrlParts parts = ParseUrl(c.url);
        EXPECT_EQ(parts.host, c.host) << c.url;
        EXPECT_EQ(parts.port, c.port) << c.url;
        EXPECT_EQ(parts.path, c.path) << c.url;
    }
}

TEST(ParseUrl, OtherSchemesAreUnknown) {
    for (const char* url : {"ftp://h/x", "HTTP://h/", "h/collect", ""}) {
        try {
            ParseUrl(url);
            ADD_FAILURE() << url;
        } catch (const PInternalError& e) {
            EXPECT_STREQ(e.why(), "Unknown protocol");
        }
    }
}

TEST(ComposeUrl, RoundTrips) {
    for (const char* url :
         {"http://collect.example.net/collect", "http://h:8080/", "http://h:81/a"}) {
        const UrlParts parts = ParseUrl(url);
        EXPECT_EQ(ComposeUrl(parts.host, parts.port, parts.path), url);
    }
    const UrlParts noPath = ParseUrl("http://h:8080");
    EXPECT_EQ(ComposeUrl(noPath.host, noPath.port, noPath.path), "http://h:8080/");
}

TEST(ComposePost, HeadOfFiftySevenByteBody) {
    UrlParts url = ParseUrl("http://collect.example.net/collect");
    EXPECT_EQ(ComposePost(url, 57, "application/x-www-form-urlencoded"),
              "POST /collect HTTP/1.1\r\n"
              "Host: collect.example.net:80\r\n"
              "Pragma: no-cache\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 57\r\n"
              "\r\n");
}

TEST(ComposeRequestHead, ProxyFormAndHostWithoutPort) {
    UrlParts url = ParseUrl("http://h:8080/p");
    url.addHeader("X-A", "1");
    url.addHeader("X-B", "");
    url.proxy = "proxy:3128";
    url.hostWithoutPort = true;
    EXPECT_EQ(
        ComposeRequestHead("GET", url),
        "GET http://h:8080/p HTTP/1.1\r\nHost: h\r\nPragma: no-cache\r\nX-A: 1\r\nX-B: \r\n\r\n");
}

TEST(ComposePost, LargeLengthUsesFullWidth) {
    UrlParts url = ParseUrl("http://h/");
    const std::string head = ComposePost(url, 5000000000ull, "text/plain");
    EXPECT_NE(head.find("Content-Length: 5000000000\r\n"), std::string::npos);
}

}  // namespace
