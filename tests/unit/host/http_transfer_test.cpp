// The HTTP layer's pure parts: which address is fetched, and how reply
// headers are read.
#include "host/http_transfer.h"

#include <gtest/gtest.h>

#include "host/http_response.h"

namespace bw {
namespace {

TEST(HttpTransfer, AGetToPort443GoesOverTlsAndAPostKeepsItsScheme)
{
    const struct {
        const char* url;
        bool post;
        const char* fetched;
    } cases[] = {
        {"http://example.test:443/a?b=1", false, "https://example.test:443/a?b=1"},
        {"http://example.test:443/a", true, "http://example.test:443/a"},
        {"https://example.test:8443/", true, "https://example.test:8443/"},
        {"http://example.test/x", false, "http://example.test/x"},
        {"not a url", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HttpTransfer_EffectiveUrl({c.url, c.post, ""}), c.fetched) << c.url;
    }
}

TEST(HttpTransfer, WhatAnAddressMayNotHoldIsEscapedAndEscapesThereAreKept)
{
    const struct {
        const char* url;
        const char* escaped;
    } cases[] = {
        {"http://h:8/score?name=Zo\xC3\xAB Smith&score=12", "http://h:8/score?name=Zo%C3%AB%20Smith&score=12"},
        {"http://h/save game", "http://h/save%20game"},
        {"http://h/a%20b/100%/%zz/%4", "http://h/a%20b/100%25/%25zz/%254"},
        {"http://h/\t\x7F\"<>\\^`{|}", "http://h/%09%7F%22%3C%3E%5C%5E%60%7B%7C%7D"},
        {"http://h/-._~:/?#[]@!$&'()*+,;=", "http://h/-._~:/?#[]@!$&'()*+,;="},
        {"http://h?q=\xD0\x9A\xCE\x91\xE6\x9D\xB1#top of", "http://h?q=%D0%9A%CE%91%E6%9D%B1#top%20of"},
        {"http://bad host/x y", "http://bad host/x%20y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HttpTransfer_EscapeUrl(c.url), c.escaped) << c.url;
    }
    EXPECT_EQ(HttpTransfer_EffectiveUrl({"http://h:443/my sprite.png", false, ""}), "https://h:443/my%20sprite.png");
}

TEST(HttpResponse, StatusLinesAndLengthsAreReadStrictlyAndCapped)
{
    EXPECT_EQ(Http_ParseStatusLine("HTTP/1.1 404 Not Found\r\n"), 404);
    EXPECT_EQ(Http_ParseStatusLine("HTTP/2 200\r\n"), 200);
    EXPECT_EQ(Http_ParseStatusLine("HTTP/1.1 2000 Big\r\n"), -1);
    EXPECT_EQ(Http_ParseStatusLine("HTTP/1.1 20\r\n"), -1);
    EXPECT_EQ(Http_ParseStatusLine("Location: HTTP/1.1 200\r\n"), -1);
    EXPECT_EQ(Http_ParseContentLength("content-LENGTH:  42 \r\n", 100), 42);
    EXPECT_EQ(Http_ParseContentLength("Content-Length: 99999999999999999999999\r\n", 100), 100);
    EXPECT_EQ(Http_ParseContentLength("Content-Length: -1\r\n", 100), -1);
    EXPECT_EQ(Http_ParseContentLength("Content-Type: 5\r\n", 100), -1);
}

TEST(HttpResponse, ANewStatusLineDropsTheBodyOfTheResponseBefore)
{
    HttpResponseReader reader;
    reader.OnHeaderLine("HTTP/1.1 302 Found\r\n");
    const uint8_t early[] = {'x', 'y'};
    EXPECT_TRUE(reader.OnBody(early));
    reader.OnHeaderLine("HTTP/1.1 200 OK\r\n");
    reader.OnHeaderLine("Content-Length: 18446744073709551615\r\n");
    EXPECT_LE(reader.Body().capacity(), kHttpMaxReserveBytes) << "a hostile length reserves little";
    const uint8_t body[] = {'o', 'k'};
    EXPECT_TRUE(reader.OnBody(body));
    EXPECT_EQ(reader.Status(), 200);
    EXPECT_EQ(std::string(reader.Body().begin(), reader.Body().end()), "ok");
}

}  // namespace
}  // namespace bw
