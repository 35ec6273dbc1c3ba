// ViewServer: serves the browser view of a simulation over HTTP.
//
//   GET  /, /view.js, /view.css   the page (built into the program)
//   GET  /api/state               the state document (view_model.h)
//   GET  /api/events              server-sent events: "state" (the same
//                                 document, first), "change" (numbered
//                                 changes to it), "log" (entries);
//                                 ?position=K follows one position
//   POST /api/press               {"panel","control"[,"event"][,"position"]}
//   POST /api/key                 {"key"[,"position"]}: one key on the keyboard
//   POST /api/clock               {"speed": 0..100} or {"step": true}
//
// One network thread serves every connection without blocking (Boost.Asio,
// requests parsed by Boost.Beast within the limits of RequestLimits); one
// simulation thread carries out the actions and the timer ticks in order
// (SimulationThread). So a slow client or an open event stream holds no
// thread that another request needs.
//
// What a client may cost is bounded: the head in bytes and fields, the body
// whatever its encoding, the time to send a whole request and to take a
// reply, the connections of one address (the one that waited longest for
// its request gives way to a new one) and of all, and 32 event streams.
// Who may ask is checked (request_guard.h): on a loopback address the Host
// must name the loopback with this port; elsewhere every request must carry
// the access token. Actions come only from the view's own page, as JSON.
//
// Lifetime: construct, bind() (before the simulation starts, so a port that
// cannot be had is said at once), then run() until stop(). The source given
// to run() must outlive it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include "client_table.h"
#include "update_hub.h"
#include "view_connection.h"
#include "view_routes.h"
#include "view_source.h"

namespace vrelhost {

class SimulationThread;

class ViewServer : public ConnectionOwner {
public:
    struct Options {
        std::string address = "127.0.0.1";
        int port = 8080;  // 0: any free port
        int maxStreams = 32;
        RequestLimits limits;
        ConnectionTimes times;
        int connectionsPerAddress = 64;
        int connections = 512;
        // When set, every request must carry it; required on an address that is not loopback.
        std::string accessToken;
        std::chrono::milliseconds idleComment{15000};  // a stream with nothing to say says this often that it lives
    };

    explicit ViewServer(Options options);
    ~ViewServer() override;
    ViewServer(const ViewServer&) = delete;
    ViewServer& operator=(const ViewServer&) = delete;

    // Listens on the address; false with `error` saying why not (the port is
    // in use, not permitted, the address is not one of this machine's...).
    bool bind(std::string& error);
    int port() const { return port_; }
    bool loopbackOnly() const { return routeSettings_.loopbackOnly; }

    // Serves until stop(); the source is used only on the simulation thread.
    void run(ViewSource& source);
    // From any thread, also before run() (then run() returns at once).
    // Every connection is closed; run() returns soon after.
    void stop();

    int openStreams() const { return hub_.streams(); }
    int openConnections() const { return openConnections_; }

private:
    Route route(const Request& head, std::optional<std::uint64_t> contentLength) override;
    void handle(const std::shared_ptr<ViewConnection>& connection, Route route, Request request) override;
    void setBusy(std::uint64_t id, bool busy) override { table_.setBusy(id, busy); }
    void closed(std::uint64_t id, bool wasStream) override;
    bool openStream() override { return !stopping_ && hub_.openStream(options_.maxStreams); }

    void accept();
    void admit(boost::asio::ip::tcp::socket socket);
    void kickStreams(bool idle);
    void armIdleComment();
    void shutDown();
    // The reply to an action that arrived then; it tells how long the server took (Server-Timing).
    void answer(std::uint64_t id, HttpReply reply, std::chrono::steady_clock::time_point arrived);
    HttpReply pageReply(const Route& route) const;

    Options options_;
    boost::asio::io_context io_;  // first in, last out: everything below uses it
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer idleTimer_, acceptRetry_;
    UpdateHub hub_;
    ClientTable table_;
    std::map<std::uint64_t, std::shared_ptr<ViewConnection>> connections_;  // network thread
    std::uint64_t nextId_ = 0;
    std::chrono::steady_clock::time_point lastKick_;  // the streams last written after a publish
    std::size_t burstPeak_ = 0;  // the most connections open since memory was last given back
    RouteSettings routeSettings_;
    int port_ = 0;
    SimulationThread* simulation_ = nullptr;  // while run() serves
    bool stopping_ = false;                   // network thread
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> kickPending_{false};
    std::atomic<int> openConnections_{0};
};

}  // namespace vrelhost
