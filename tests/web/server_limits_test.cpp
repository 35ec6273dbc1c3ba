// The browser view's server against clients that do not play fair, each
// limit proven on the running server with a raw socket: heads and bodies
// too large whatever their encoding, requests that never finish, more
// connections than one client may hold, event streams at their cap, a
// burst of bad clients and the memory after it, a stop while all of that
// goes on. Nothing a refused request asks for may run.
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "raw_http.h"
#include "served_view.h"

namespace vrelhost::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

std::string pressBody() { return R"({"panel":"1","control":"Select_3"})"; }
std::string jsonFields() { return "Content-Type: application/json\r\n"; }

// No operator line ran: the transcript holds only the start-up.
void expectNothingRan(const ServedView& view) {
    EXPECT_EQ(view.transcript().find("\n# "), std::string::npos) << "a refused request ran a line";
}

// GET / on a fresh connection, and how long it took; -1 when it failed.
long long timedPage(int port) {
    const auto start = Clock::now();
    auto response = roundTrip(port, requestText("GET", "/", port), 3000ms);
    return response && response->status == 200 ? msSince(start) : -1;
}

TEST(ServerLimits, HeadsPastTheirLimitsAreRefusedAndTheServerGoesOn) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    std::string fields100, fields101;
    for (int i = 0; i < 98; ++i) fields100 += "X-F" + std::to_string(i) + ": 1\r\n";  // with Host and Connection: 99
    fields101 = fields100 + "X-More: 1\r\nX-More2: 1\r\n";
    struct Case {
        const char* what;
        std::string request;
        int status;
    } cases[] = {
        {"one field of 20 KiB", requestText("GET", "/", port, "X-Big: " + std::string(20000, 'a') + "\r\n"), 431},
        {"101 fields", requestText("GET", "/", port, fields101), 431},
        {"100 fields", requestText("GET", "/", port, fields100 + "Connection: keep-alive\r\n"), 200},
        {"a target of 9 KiB", requestText("GET", "/?" + std::string(9000, 'a'), port), 414},
        {"a request line past the head limit", requestText("GET", "/?" + std::string(20000, 'a'), port), 414},
        {"100,000 tiny fields", requestText("GET", "/", port, [] {
             std::string many;
             for (int i = 0; i < 100000; ++i) many += "a:\r\n";
             return many;
         }()), 431},
        {"a malformed request line", "GET / HTTP/9.x\r\n\r\n", 400},
        {"two Host fields", requestText("GET", "/", port, "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"), 400},
    };
    for (const Case& c : cases) {
        RawConnection connection(port);
        connection.send(c.request, 3000ms);  // the server may stop reading half-way
        auto response = connection.readResponse(3000ms);
        ASSERT_TRUE(response) << c.what;
        EXPECT_EQ(response->status, c.status) << c.what;
        if (c.status != 200) {
            EXPECT_NE(response->body.find("\"error\""), std::string::npos) << c.what;
            EXPECT_TRUE(connection.closedWithin(3000ms)) << c.what << ": a refused connection stays open";
        }
    }
    EXPECT_GE(timedPage(port), 0);
    expectNothingRan(view);
}

TEST(ServerLimits, BodiesPastTheLimitAreRefusedWhateverTheEncoding) {
    ViewServer::Options options;
    ServedView view(options);
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    const std::size_t limit = options.limits.body;

    // A Content-Length past the limit: refused from the head, before any body is sent.
    {
        RawConnection c(port);
        c.send("POST /api/press HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + jsonFields() +
               "Content-Length: " + std::to_string(limit + 1) + "\r\n\r\n");
        auto response = c.readResponse(2000ms);
        ASSERT_TRUE(response);
        EXPECT_EQ(response->status, 413);
    }
    // Chunked: one byte past the limit is refused while the client still
    // holds the rest back, so the server read nothing past the limit.
    for (std::size_t chunk : {std::size_t(1000), limit + 1}) {
        RawConnection c(port);
        ASSERT_TRUE(c.send("POST /api/press HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + jsonFields() +
                           "Transfer-Encoding: chunked\r\n\r\n"));
        std::size_t sent = 0;
        char size[32];
        while (sent <= limit) {
            const std::size_t n = std::min(chunk, limit + 1 - sent);
            snprintf(size, sizeof size, "%zx\r\n", n);
            if (!c.send(size + std::string(n, ' ') + "\r\n")) break;
            sent += n;
        }
        auto response = c.readResponse(2000ms);
        ASSERT_TRUE(response) << "chunks of " << chunk;
        EXPECT_EQ(response->status, 413) << "chunks of " << chunk;
        EXPECT_TRUE(c.closedWithin(3000ms));
    }
    // A chunk line or trailers without end are refused too.
    {
        RawConnection c(port);
        c.send("POST /api/press HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + jsonFields() +
               "Transfer-Encoding: chunked\r\n\r\n2;" + std::string(40000, 'x'));
        auto response = c.readResponse(2000ms);
        ASSERT_TRUE(response);
        EXPECT_GE(response->status, 400);
    }
    // Trailers: without end, past the room for them; or past the count of fields.
    for (int count : {5000, 60}) {
        RawConnection c(port);
        std::string trailers;
        for (int i = 0; i < count; ++i) trailers += "T" + std::to_string(i) + ": v\r\n";
        std::string fields;
        for (int i = 0; i < 50; ++i) fields += "X-" + std::to_string(i) + ": v\r\n";
        c.send("POST /api/press HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + jsonFields() + fields +
               "Transfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n" + trailers + "\r\n");
        auto response = c.readResponse(2000ms);
        ASSERT_TRUE(response) << count << " trailers";
        EXPECT_EQ(response->status, count == 60 ? 431 : 413) << count << " trailers";
    }
    expectNothingRan(view);
    // A body at the limit is read whole, chunked or not, and judged as JSON.
    std::string atLimit = pressBody();
    atLimit += std::string(limit - atLimit.size(), ' ');
    auto plain = roundTrip(port, requestText("POST", "/api/press", port, jsonFields(), atLimit));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->status, 200) << plain->body;
    char size[32];
    snprintf(size, sizeof size, "%zx\r\n", atLimit.size());
    auto chunked = roundTrip(port, "POST /api/press HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" +
                                      jsonFields() + "Transfer-Encoding: chunked\r\n\r\n" + size + atLimit + "\r\n0\r\n\r\n");
    ASSERT_TRUE(chunked);
    EXPECT_EQ(chunked->status, 200) << chunked->body;
}

TEST(ServerLimits, ARequestMustArriveWholeWithinItsDeadline) {
    ViewServer::Options options;
    options.times.request = 600ms;
    ServedView view(options);
    ASSERT_TRUE(view.ready());
    const int port = view.port();

    // A client that sends one byte every 100 ms never finishes its head:
    // it is cut off at the deadline, though it was never idle for long.
    RawConnection trickle(port);
    const std::string head = requestText("GET", "/", port, "X-Slow: " + std::string(200, 'a') + "\r\n");
    const auto start = Clock::now();
    bool cut = false;
    for (char byte : head) {
        if (!trickle.send(std::string(1, byte), 200ms) || trickle.closedWithin(100ms)) {
            cut = true;
            break;
        }
        if (msSince(start) > 3000) break;
    }
    EXPECT_TRUE(cut) << "a trickling client kept its connection";
    EXPECT_GE(msSince(start), 500);
    EXPECT_LE(msSince(start), 1500);

    // A connection that says nothing is closed at the same deadline.
    RawConnection idle(port);
    EXPECT_TRUE(idle.closedWithin(1500ms));

    // A request sent in pieces, well within the deadline, is answered.
    RawConnection pieces(port);
    const std::string request = requestText("GET", "/api/state", port);
    ASSERT_TRUE(pieces.send(request.substr(0, 10)));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(pieces.send(request.substr(10)));
    auto response = pieces.readResponse();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
}

TEST(ServerLimits, OneAddressHoldsAtMostItsConnectionsAndTheOldestWaitingGivesWay) {
    ViewServer::Options options;
    options.connectionsPerAddress = 8;
    ServedView view(options);
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    std::vector<RawConnection> silent;
    for (int i = 0; i < 20; ++i) {
        silent.emplace_back(port);
        silent.back().send("GET / HTTP/1.1\r\n");  // begun, never finished
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_LE(view.server().openConnections(), 8);
    // The first ones gave way to the later ones.
    EXPECT_TRUE(silent.front().closedWithin(1000ms));
    EXPECT_FALSE(silent.back().closedWithin(100ms));
    // And a browser's request still gets through at once.
    const long long took = timedPage(port);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, 1000);
    EXPECT_LE(view.server().openConnections(), 8);
}

// A client that pipelines requests and never reads the replies leaves its
// connections waiting to write: they give way to a browser of the same address.
TEST(ServerLimits, ClientsThatNeverReadGiveWayToABrowser) {
    ServedView view({}, false, 8);  // a state of 77 KB: 64 of them are more than a socket holds
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    std::string pipeline;
    for (int i = 0; i < 64; ++i) pipeline += requestText("GET", "/api/state", port);
    std::vector<RawConnection> deaf;
    for (int i = 0; i < 64; ++i) {
        deaf.emplace_back(port);
        const int small = 4096;  // a small window: the server's writes stall soon
        setsockopt(deaf.back().fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        deaf.back().send(pipeline, 200ms);
    }
    std::this_thread::sleep_for(500ms);
    for (int round = 0; round < 3; ++round) {
        EXPECT_GE(timedPage(port), 0) << "the page did not load";
        auto pressed = roundTrip(port, requestText("POST", "/api/press", port, jsonFields(), pressBody()));
        ASSERT_TRUE(pressed) << "the press got no answer";
        EXPECT_EQ(pressed->status, 200);
    }
    EXPECT_LE(view.server().openConnections(), 64);
}

TEST(ServerLimits, StreamsAndSlowClientsNeverDelayAPage) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    std::vector<RawConnection> streams, slow, keptAlive;
    for (int i = 0; i < 32; ++i) {
        streams.emplace_back(port);
        ASSERT_TRUE(streams.back().send(requestText("GET", "/api/events", port)));
    }
    for (RawConnection& s : streams) EXPECT_NE(s.readFor(2000ms, 12).find("200 OK"), std::string::npos);
    EXPECT_EQ(view.server().openStreams(), 32);
    for (int i = 0; i < 8; ++i) {  // idle keep-alive connections, as a browser leaves them
        keptAlive.emplace_back(port);
        keptAlive.back().send(requestText("GET", "/view.css", port));
        ASSERT_TRUE(keptAlive.back().readResponse());
    }
    for (int i = 0; i < 40; ++i) {
        slow.emplace_back(port);
        slow.back().send("GET / HTTP/1.1\r\n");
    }
    std::vector<long long> took;
    for (int round = 0; round < 6; ++round) {
        for (std::size_t i = 0; i < slow.size(); ++i) slow[i].send("X-Line-" + std::to_string(round) + ": a\r\n", 50ms);
        took.push_back(timedPage(port));
        std::this_thread::sleep_for(100ms);
    }
    RecordProperty("page_ms_with_32_streams_and_40_slow_clients", std::to_string(*std::max_element(took.begin(), took.end())));
    for (long long ms : took) {
        EXPECT_GE(ms, 0) << "GET / failed";
        EXPECT_LT(ms, 1000);
    }
    EXPECT_EQ(view.server().openStreams(), 32) << "a stream was closed to make room";
}

TEST(ServerLimits, TheStreamCapHoldsAtItsBoundaryAndAClosedStreamFreesItsPlace) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    std::vector<RawConnection> streams;
    for (int i = 0; i < 32; ++i) {
        streams.emplace_back(port);
        streams.back().send(requestText("GET", "/api/events", port));
        const std::string head = streams.back().readFor(2000ms, 40);
        EXPECT_NE(head.find("HTTP/1.1 200 OK"), std::string::npos) << "stream " << i + 1 << ": " << head.substr(0, 80);
    }
    EXPECT_EQ(view.server().openStreams(), 32);
    auto refused = roundTrip(port, requestText("GET", "/api/events", port));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 503) << "the 33rd stream";

    streams.front().close();  // a browser leaves
    const auto start = Clock::now();
    while (view.server().openStreams() == 32 && msSince(start) < 2000) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(view.server().openStreams(), 31);
    RawConnection again(port);
    again.send(requestText("GET", "/api/events", port));
    EXPECT_NE(again.readFor(2000ms, 40).find("HTTP/1.1 200 OK"), std::string::npos);
    EXPECT_EQ(view.server().openStreams(), 32);
}

// Bad clients in bursts, then gone: the memory they took is given back.
TEST(ServerLimits, MemoryAfterABurstOfBadClientsReturnsNearWhereItWas) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "resident memory under AddressSanitizer holds its quarantine, not the server's";
#endif
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    const std::string bigHead = requestText("GET", "/", port, "X-A: " + std::string(15000, 'a') + "\r\n");
    std::string manyFields;
    for (int i = 0; i < 99; ++i) manyFields += "X-" + std::to_string(i) + ": " + std::string(150, 'b') + "\r\n";
    const std::string chunkStart = "POST /api/press HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" +
                                   jsonFields() + "Transfer-Encoding: chunked\r\n\r\n4000\r\n" + std::string(0x4000, ' ');
    long peak = 0;
    auto burst = [&] {
        std::vector<RawConnection> clients;
        for (int i = 0; i < 60; ++i) {
            clients.emplace_back(port);
            switch (i % 3) {
            case 0: clients.back().send(bigHead.substr(0, bigHead.size() - 2), 500ms); break;
            case 1: clients.back().send(requestText("GET", "/", port, manyFields).substr(0, 15000), 500ms); break;
            default: clients.back().send(chunkStart, 500ms); break;
            }
        }
        std::this_thread::sleep_for(100ms);
        peak = std::max(peak, residentKiB());  // every one of them still connected
    };
    EXPECT_GE(timedPage(port), 0);  // what any use of the server grows first
    const long before = residentKiB();
    peak = before;
    for (int round = 0; round < 10; ++round) burst();
    std::this_thread::sleep_for(500ms);
    const long after = residentKiB();
    RecordProperty("rss_kib_before", std::to_string(before));
    RecordProperty("rss_kib_peak", std::to_string(peak));
    RecordProperty("rss_kib_after", std::to_string(after));
    std::printf("resident memory: %ld KiB before 10 bursts of 60 bad clients, %ld at most during, %ld after\n", before,
                peak, after);
    EXPECT_LT(peak - before, 32 * 1024) << "a burst took more than 32 MiB";
    EXPECT_LT(after - before, 4 * 1024) << "the memory of the bursts stayed";
    EXPECT_GE(timedPage(port), 0);
    expectNothingRan(view);
}

TEST(ServerLimits, StopEndsTheServerWhateverTheClientsDo) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    std::vector<RawConnection> clients;
    for (int i = 0; i < 10; ++i) {  // half-sent heads
        clients.emplace_back(port);
        clients.back().send("GET / HTTP/1.1\r\nX-A: 1\r\n");
    }
    for (int i = 0; i < 5; ++i) {  // streams that never read
        clients.emplace_back(port);
        int small = 1024;
        setsockopt(clients.back().fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        clients.back().send(requestText("GET", "/api/events", port));
    }
    for (int i = 0; i < 5; ++i) {  // half-sent bodies
        clients.emplace_back(port);
        clients.back().send(requestText("POST", "/api/press", port, jsonFields() + "Content-Length: 100\r\n") + "{");
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(view.finish(), 0);
    EXPECT_LT(view.stopTook.count(), 2000);
    RecordProperty("stop_ms", std::to_string(view.stopTook.count()));
    for (std::size_t i = 0; i < clients.size(); ++i) EXPECT_TRUE(clients[i].closedWithin(1000ms)) << "client " << i;
    EXPECT_NE(view.transcript().rfind("> AS\n"), std::string::npos);
}

TEST(ServerLimits, ARefusedHeadNeverLetsItsBodyPassAsARequest) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    const std::string smuggled = requestText("POST", "/api/press", port, jsonFields(), pressBody());
    RawConnection c(port);
    c.send(requestText("POST", "/api/press", port, "Content-Type: text/plain\r\n", smuggled));
    auto first = c.readResponse();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 415);
    EXPECT_FALSE(c.readResponse(500ms)) << "the body was read as a second request";
    expectNothingRan(view);

    // Two whole requests in one write are both answered, in order.
    RawConnection pipelined(port);
    pipelined.send(requestText("GET", "/view.css", port) + requestText("GET", "/nothing", port));
    auto a = pipelined.readResponse(), b = pipelined.readResponse();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->status, 200);
    EXPECT_EQ(b->status, 404);

    // A client that waits for "100 Continue" gets it, then its answer.
    RawConnection expecting(port);
    expecting.send(requestText("POST", "/api/clock", port, jsonFields() + "Expect: 100-continue\r\nContent-Length: 11\r\n"));
    EXPECT_EQ(expecting.readFor(1000ms, 25), "HTTP/1.1 100 Continue\r\n\r\n");
    expecting.send(R"({"speed":2})");
    auto answered = expecting.readResponse();
    ASSERT_TRUE(answered);
    EXPECT_EQ(answered->status, 200) << answered->body;
}

}  // namespace
}  // namespace vrelhost::test
