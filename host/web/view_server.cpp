#include "view_server.h"

#include <sys/socket.h>

#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/beast/core/string.hpp>

#include "http_reply.h"
#include "request_guard.h"
#include "simulation_thread.h"
#include "view_model.h"

namespace vrelhost {

namespace net = boost::asio;
using net::ip::tcp;
using boost::system::error_code;

namespace {

std::string addressOf(const tcp::endpoint& endpoint) {
    net::ip::address address = endpoint.address();
    // A client reaching a dual-stack listener over IPv4 counts as its IPv4 address.
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        address = net::ip::make_address_v4(net::ip::v4_mapped, address.to_v6());
    return address.to_string();
}

std::string bindProblem(const error_code& ec, const std::string& address, int port) {
    if (ec == net::error::address_in_use)
        return "port " + std::to_string(port) + " is in use: another program listens there (--port 0 takes a free one)";
    if (ec == net::error::access_denied)
        return "not permitted: a port below 1024 needs privileges (--port 0 takes a free one)";
    if (ec == boost::system::errc::address_not_available) return address + " is not an address of this machine";
    return ec.message();
}

}  // namespace

ViewServer::ViewServer(Options options)
    : options_(std::move(options)), acceptor_(io_), idleTimer_(io_), acceptRetry_(io_),
      table_(options_.connectionsPerAddress, options_.connections) {}

ViewServer::~ViewServer() {
    stop();
    // The connections go before the network context that their sockets use.
    connections_.clear();
}

bool ViewServer::bind(std::string& error) {
    const std::string& address = options_.address;
    const std::string where = "cannot listen on " + address + " port " + std::to_string(options_.port) + ": ";
    std::string literal = address;
    if (literal.size() > 2 && literal.front() == '[' && literal.back() == ']') literal = literal.substr(1, literal.size() - 2);
    // An address, not a name to look up: a lookup could wait on a name server.
    if (boost::beast::iequals(literal, "localhost")) literal = "127.0.0.1";
    error_code ec;
    const net::ip::address ip = net::ip::make_address(literal, ec);
    if (ec) {
        error = where + "not an IP address (give one of this machine's, such as 127.0.0.1, ::1 or 0.0.0.0)";
        return false;
    }
    const bool loopback = ip.is_loopback();
    if (!loopback && options_.accessToken.empty()) {
        error = where + "an address beyond this machine needs an access token";
        return false;
    }
    const tcp::endpoint endpoint(ip, static_cast<unsigned short>(options_.port));
    acceptor_.open(endpoint.protocol(), ec);
    // Not SO_REUSEPORT: a port another server listens on must be refused, not shared.
    if (!ec) acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(net::socket_base::max_listen_connections, ec);
    if (ec) {
        error = where + bindProblem(ec, address, options_.port);
        acceptor_.close(ec);
        return false;
    }
    port_ = acceptor_.local_endpoint().port();
    routeSettings_.port = port_;
    routeSettings_.loopbackOnly = loopback;
    routeSettings_.accessToken = options_.accessToken;
    routeSettings_.maxBody = options_.limits.body;
    return true;
}

void ViewServer::run(ViewSource& source) {
    if (stopRequested_ || !acceptor_.is_open()) return;
    hub_.setListener([this] {
        // Many publishes in a row wake the streams once.
        if (!kickPending_.exchange(true)) net::post(io_, [this] { kickStreams(false); });
    });
    {
        SimulationThread simulation(source, hub_);
        simulation_ = &simulation;
        accept();
        armIdleComment();
        io_.run();
        simulation_ = nullptr;
    }  // the simulation thread ends here: nothing posts to the network context after this
    hub_.setListener(nullptr);
}

void ViewServer::stop() {
    stopRequested_ = true;
    net::post(io_, [this] { shutDown(); });
}

void ViewServer::shutDown() {
    if (stopping_) return;
    stopping_ = true;
    error_code ignored;
    acceptor_.close(ignored);
    idleTimer_.cancel();
    acceptRetry_.cancel();
    hub_.stop();
    if (simulation_) simulation_->stop();
    const auto open = connections_;  // each close() takes itself out of the map
    for (const auto& entry : open) entry.second->close(true);
}

void ViewServer::accept() {
    acceptor_.async_accept([this](error_code ec, tcp::socket socket) {
        if (stopping_ || ec == net::error::operation_aborted) return;
        if (ec) {
            // Out of file descriptors, most likely: try again shortly rather than spin.
            acceptRetry_.expires_after(std::chrono::milliseconds(100));
            acceptRetry_.async_wait([this](error_code waited) {
                if (!waited && !stopping_) accept();
            });
            return;
        }
        admit(std::move(socket));
        accept();
    });
}

void ViewServer::admit(tcp::socket socket) {
    error_code ec;
    const tcp::endpoint remote = socket.remote_endpoint(ec);
    if (ec) return;  // gone already
    const std::uint64_t id = ++nextId_;
    ClientTable::Admission admission = table_.admit(id, addressOf(remote));
    if (!admission.admitted) {
        // Every connection of this client is busy: say so if the socket takes it at once, and close.
        const std::string busy = responseText(errorReply(503, "too many connections from this address"), false);
        ::send(socket.native_handle(), busy.data(), busy.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        socket.close(ec);
        return;
    }
    for (std::uint64_t victim : admission.giveWay) {
        auto it = connections_.find(victim);
        if (it != connections_.end()) {
            const std::shared_ptr<ViewConnection> giving = it->second;
            giving->close();
        }
    }
    auto connection =
        std::make_shared<ViewConnection>(std::move(socket), id, *this, hub_, options_.limits, options_.times);
    connections_[id] = connection;
    ++openConnections_;
    burstPeak_ = std::max(burstPeak_, connections_.size());
    connection->start();
}

void ViewServer::closed(std::uint64_t id, bool) {
    table_.remove(id);
    if (connections_.erase(id) > 0) --openConnections_;
    // After a burst of clients (many at once, most gone now) the memory
    // their buffers took is given back to the system, not kept for the next.
    if (burstPeak_ >= 32 && connections_.size() * 4 <= burstPeak_) {
        burstPeak_ = connections_.size();
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    }
}

Route ViewServer::route(const Request& head, std::optional<std::uint64_t> contentLength) {
    return routeRequest(head, contentLength, routeSettings_);
}

void ViewServer::answer(std::uint64_t id, HttpReply reply, std::chrono::steady_clock::time_point arrived) {
    net::post(io_, [this, id, reply = std::move(reply), arrived]() mutable {
        // The streams were woken before this (posted first): the server's
        // share of a click, for whoever measures it, ends with their writes.
        const auto sent = lastKick_ > arrived ? lastKick_ : std::chrono::steady_clock::now();
        const std::chrono::duration<double, std::milli> taken = sent - arrived;
        char timing[48];
        std::snprintf(timing, sizeof timing, "view;dur=%.3f", taken.count());
        reply.fields.push_back({"Server-Timing", timing});
        auto it = connections_.find(id);
        if (it != connections_.end()) it->second->respond(reply);
    });
}

void ViewServer::handle(const std::shared_ptr<ViewConnection>& connection, Route route, Request request) {
    switch (route.target) {
    case Target::page: return connection->respond(pageReply(route));
    // The document the streams were last sent, so a reload shows what they show.
    case Target::state: return connection->respond(HttpReply{200, "application/json", hub_.state(), {}});
    default: break;
    }
    using Action = ActionReply (ViewActions::*)(const std::string&);
    const Action action = route.target == Target::press ? &ViewActions::press
                          : route.target == Target::key ? &ViewActions::key
                                                        : &ViewActions::clock;
    if (!simulation_) return connection->close();
    const std::uint64_t id = connection->id();
    const auto arrived = std::chrono::steady_clock::now();
    simulation_->post([action, body = std::move(request.body)](ViewActions& actions) { return (actions.*action)(body); },
                      [this, id, arrived](ActionReply result) {
                          answer(id, HttpReply{result.status, "application/json", toText(result.body), {}}, arrived);
                      });
}

HttpReply ViewServer::pageReply(const Route& route) const {
    HttpReply reply{200, route.page->type, std::string(reinterpret_cast<const char*>(route.page->data), route.page->size),
                    {}};
    if (route.setTokenCookie)
        reply.fields.push_back({"Set-Cookie", tokenCookieName(port_) + "=" + routeSettings_.accessToken +
                                                  "; Path=/; HttpOnly; SameSite=Strict"});
    return reply;
}

void ViewServer::kickStreams(bool idle) {
    kickPending_ = false;
    const auto open = connections_;  // a kick may close a connection
    for (const auto& entry : open)
        if (entry.second->streaming()) entry.second->kick(idle);
    if (!idle) lastKick_ = std::chrono::steady_clock::now();
}

void ViewServer::armIdleComment() {
    idleTimer_.expires_after(options_.idleComment);
    idleTimer_.async_wait([this](error_code ec) {
        if (ec || stopping_) return;
        kickStreams(true);
        armIdleComment();
    });
}

}  // namespace vrelhost
