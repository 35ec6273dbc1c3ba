// Who may ask the browser view what: the rules on their own (Host, Origin,
// the JSON type, the token, the keys the keyboard takes, which connection
// gives way), then the same rules on the running server, where a page of
// another site, rebound by DNS or framing the view, must get nothing.
#include <set>

#include <gtest/gtest.h>

#include "client_table.h"
#include "raw_http.h"
#include "request_guard.h"
#include "served_view.h"
#include "view_actions.h"

namespace vrelhost::test {
namespace {

using namespace std::chrono_literals;

TEST(RequestGuard, OnlyTheLoopbackItselfWithThisPortIsAHost) {
    for (const char* host : {"127.0.0.1:8080", "127.1.2.3:8080", "127.255.255.254:8080", "localhost:8080",
                             "LocalHost:8080", "[::1]:8080"})
        EXPECT_TRUE(isLoopbackHost(host, 8080)) << host;
    for (const char* host : {"127.attacker.example:8080", "127.0.0.1.nip.io:8080", "127.0.0.1:8081", "127.0.0.1",
                             "127.0.0.1:", "127.0.0.1:08080", "127.0.0.1:8080x", "127.0.0.01:8080", "127.0.0:8080",
                             "127.0.0.1.1:8080", "127.0.0.256:8080", "128.0.0.1:8080", "localhost.:8080",
                             "localhost.example:8080", "[::1]", "[::2]:8080", "::1:8080", "[::1]x:8080", "", ":8080",
                             "evil.example:8080", "127.0.0.1:8080@evil.example"})
        EXPECT_FALSE(isLoopbackHost(host, 8080)) << host;
    EXPECT_TRUE(isLoopbackHost("localhost", 80));  // a browser leaves out port 80
    EXPECT_TRUE(isLoopbackAddress("127.0.0.1") && isLoopbackAddress("::1") && isLoopbackAddress("localhost"));
    EXPECT_FALSE(isLoopbackAddress("0.0.0.0") || isLoopbackAddress("::") || isLoopbackAddress("192.168.1.2") ||
                 isLoopbackAddress("127.example"));
}

TEST(RequestGuard, AnActionComesFromTheViewsOwnPageOrFromNoBrowser) {
    const std::string host = "127.0.0.1:8080";
    EXPECT_TRUE(isOwnOrigin("http://127.0.0.1:8080", true, "", false, host));
    EXPECT_TRUE(isOwnOrigin("HTTP://127.0.0.1:8080", true, "", false, host));
    EXPECT_TRUE(isOwnOrigin("", false, "http://127.0.0.1:8080/?token=1", true, host));
    EXPECT_TRUE(isOwnOrigin("", false, "", false, host));  // curl, a script
    EXPECT_FALSE(isOwnOrigin("http://evil.example", true, "", false, host));
    EXPECT_FALSE(isOwnOrigin("null", true, "", false, host));  // a sandboxed frame, a file
    EXPECT_FALSE(isOwnOrigin("http://127.0.0.1:8081", true, "", false, host));
    EXPECT_FALSE(isOwnOrigin("https://127.0.0.1:8080", true, "", false, host));
    EXPECT_FALSE(isOwnOrigin("http://127.0.0.1:8080.evil.example", true, "", false, host));
    EXPECT_FALSE(isOwnOrigin("", false, "http://127.0.0.1:8080.evil.example/", true, host));
    EXPECT_FALSE(isOwnOrigin("", false, "http://evil.example/http://127.0.0.1:8080/", true, host));
    // An Origin decides even beside a Referer that would pass.
    EXPECT_FALSE(isOwnOrigin("http://evil.example", true, "http://127.0.0.1:8080/", true, host));
}

TEST(RequestGuard, JsonIsApplicationJsonWithParametersOnly) {
    for (const char* type : {"application/json", "Application/JSON", "application/json; charset=utf-8",
                             "application/json;charset=UTF-8", " application/json ", "application/json; a=1; b=\"x\"", "application/json;"})
        EXPECT_TRUE(isJsonType(type)) << type;
    for (const char* type : {"application/jsonx", "application/json-patch+json", "text/plain", "", "application/json,",
                             "application/json; charset", "application/json, text/plain", "application/json;=x",
                             "text/plain; application/json", "application/ json"})
        EXPECT_FALSE(isJsonType(type)) << type;
}

TEST(RequestGuard, TokensAreFoundByExactNameAndComparedWhole) {
    EXPECT_EQ(queryValue("a=1&token=abc&b=2", "token"), "abc");
    EXPECT_EQ(queryValue("xtoken=abc", "token"), "");
    EXPECT_EQ(queryValue("token", "token"), "");
    EXPECT_EQ(cookieValue("a=1; vrel_token_80=abc; b=2", "vrel_token_80"), "abc");
    EXPECT_EQ(cookieValue("vrel_token_8080=abc", "vrel_token_80"), "");
    EXPECT_TRUE(sameSecret("abc", "abc"));
    EXPECT_FALSE(sameSecret("abd", "abc") || sameSecret("ab", "abc") || sameSecret("abcd", "abc") ||
                 sameSecret("", ""));

    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        const std::string token = newAccessToken();
        EXPECT_EQ(token.size(), 64u);  // 256 bits
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
        seen.insert(token);
    }
    EXPECT_EQ(seen.size(), 20u);
}

TEST(ClientTable, TheConnectionThatWaitedLongestGivesWayAndBusyOnesNever) {
    ClientTable table(3, 5);
    EXPECT_TRUE(table.admit(1, "a").admitted);
    EXPECT_TRUE(table.admit(2, "a").admitted);
    EXPECT_TRUE(table.admit(3, "a").admitted);
    table.setBusy(1, true);
    ClientTable::Admission fourth = table.admit(4, "a");
    ASSERT_TRUE(fourth.admitted);
    EXPECT_EQ(fourth.giveWay, std::vector<ClientTable::Id>{2});  // 1 is busy
    EXPECT_EQ(table.openFrom("a"), 3);
    // Another address does not count against "a", but all together are capped.
    EXPECT_TRUE(table.admit(5, "b").admitted);
    EXPECT_TRUE(table.admit(6, "b").admitted);
    ClientTable::Admission seventh = table.admit(7, "c");
    ASSERT_TRUE(seventh.admitted);
    EXPECT_EQ(seventh.giveWay, std::vector<ClientTable::Id>{3});  // the oldest waiting of all
    // A connection that finished a request waits anew, from now: the oldest
    // connection is not the one that waited longest.
    table.setBusy(1, false);
    table.setBusy(4, true);
    ClientTable::Admission eighth = table.admit(8, "a");
    EXPECT_EQ(eighth.giveWay, std::vector<ClientTable::Id>{5});
    // When every connection of an address is busy, a new one is refused and nothing changes.
    table.setBusy(8, true);
    ClientTable small(2, 10);
    small.admit(1, "a");
    small.admit(2, "a");
    small.setBusy(1, true);
    small.setBusy(2, true);
    EXPECT_FALSE(small.admit(3, "a").admitted);
    EXPECT_EQ(small.openFrom("a"), 2);
    small.remove(1);
    EXPECT_TRUE(small.admit(3, "a").admitted);
}

// On the running server.

std::string jsonType() { return "Content-Type: application/json\r\n"; }

std::string withHost(std::string request, const std::string& host) {
    const std::size_t at = request.find("Host: ");
    const std::size_t end = request.find("\r\n", at);
    return request.replace(at, end - at, "Host: " + host);
}

TEST(GuardedView, AForeignHostOriginOrTypeGetsNothingAndEveryReplyRefusesFraming) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    const std::string p = std::to_string(port);
    const std::string press = R"({"panel":"1","control":"Select_3"})";
    struct Case {
        const char* what;
        std::string request;
        int status;
    } cases[] = {
        {"a name beginning 127.", withHost(requestText("GET", "/api/state", port), "127.attacker.example:" + p), 403},
        {"a name ending in a loopback address", withHost(requestText("GET", "/", port), "127.0.0.1.nip.io:" + p), 403},
        {"a press by a rebound name", withHost(requestText("POST", "/api/press", port, jsonType(), press), "127.a.example:" + p), 403},
        {"another port", withHost(requestText("GET", "/", port), "127.0.0.1:1"), 403},
        {"no Host", "GET / HTTP/1.0\r\n\r\n", 400},
        {"a press from another site",
         requestText("POST", "/api/press", port, jsonType() + "Origin: http://evil.example\r\n", press), 403},
        {"a press referred by another site",
         requestText("POST", "/api/clock", port, jsonType() + "Referer: http://evil.example/x\r\n", R"({"speed":0})"), 403},
        {"a type that only begins as JSON", requestText("POST", "/api/press", port, "Content-Type: application/jsonx\r\n", press), 415},
        {"no type", requestText("POST", "/api/press", port, "", press), 415},
        {"a form", requestText("POST", "/api/press", port, "Content-Type: application/x-www-form-urlencoded\r\n", "a=1"), 415},
        {"a path outside", requestText("GET", "/../../etc/passwd", port), 404},
        {"an encoded path outside", requestText("GET", "/%2e%2e/%2e%2e/etc/passwd", port), 404},
        {"a page by POST", requestText("POST", "/", port, jsonType(), "{}"), 404},
        {"the page", requestText("GET", "/", port), 200},
        {"localhost", withHost(requestText("GET", "/view.js", port), "localhost:" + p), 200},
        {"[::1]", withHost(requestText("GET", "/view.css", port), "[::1]:" + p), 200},
        {"another 127 literal", withHost(requestText("GET", "/api/state", port), "127.9.8.7:" + p), 200},
        {"the view's own page",
         requestText("POST", "/api/clock", port, "Content-Type: application/json; charset=utf-8\r\nOrigin: http://127.0.0.1:" + p + "\r\n",
                     R"({"speed":1})"), 200},
    };
    for (const Case& c : cases) {
        auto response = roundTrip(port, c.request);
        ASSERT_TRUE(response) << c.what;
        EXPECT_EQ(response->status, c.status) << c.what << ": " << response->body;
        EXPECT_EQ(response->field("x-frame-options"), "DENY") << c.what;
        EXPECT_NE(response->field("content-security-policy").find("frame-ancestors 'none'"), std::string::npos) << c.what;
        EXPECT_NE(response->field("content-security-policy").find("script-src 'self'"), std::string::npos) << c.what;
        EXPECT_EQ(response->field("x-content-type-options"), "nosniff") << c.what;
    }
    EXPECT_EQ(view.transcript().find("\n# "), std::string::npos) << "a refused request ran a line";
    // The event stream carries the guard fields too.
    RawConnection stream(port);
    stream.send(requestText("GET", "/api/events", port));
    const std::string head = stream.readFor(2000ms, 200);
    EXPECT_NE(head.find("X-Frame-Options: DENY"), std::string::npos);
    EXPECT_NE(head.find("Content-Type: text/event-stream"), std::string::npos);
}

TEST(GuardedView, WithAnAccessTokenNothingAnswersWithoutIt) {
    ViewServer::Options options;
    options.accessToken = newAccessToken();
    ServedView view(options);
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    const std::string& token = options.accessToken;
    for (const std::string& path : {std::string("/"), std::string("/api/state"), std::string("/api/events"),
                                    "/?token=" + token.substr(0, 63), "/?token=" + token + "0"}) {
        auto refused = roundTrip(port, requestText("GET", path, port));
        ASSERT_TRUE(refused) << path;
        EXPECT_EQ(refused->status, 401) << path;
    }
    auto press = roundTrip(port, requestText("POST", "/api/press", port, jsonType(), R"({"panel":"1","control":"Select_3"})"));
    ASSERT_TRUE(press);
    EXPECT_EQ(press->status, 401);

    // The address printed opens the page, which keeps the token as a cookie for what it asks next.
    auto page = roundTrip(port, requestText("GET", "/?token=" + token, port));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    const std::string cookie = page->field("set-cookie");
    EXPECT_EQ(cookie.find("vrel_token_" + std::to_string(port) + "=" + token + ";"), 0u) << cookie;
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
    auto state = roundTrip(port, requestText("GET", "/api/state", port,
                                            "Cookie: other=1; vrel_token_" + std::to_string(port) + "=" + token + "\r\n"));
    ASSERT_TRUE(state);
    EXPECT_EQ(state->status, 200);
    auto wrongPort = roundTrip(port, requestText("GET", "/api/state", port, "Cookie: vrel_token_1=" + token + "\r\n"));
    ASSERT_TRUE(wrongPort);
    EXPECT_EQ(wrongPort->status, 401);
    EXPECT_EQ(view.transcript().find("\n# "), std::string::npos);
}

}  // namespace
}  // namespace vrelhost::test
