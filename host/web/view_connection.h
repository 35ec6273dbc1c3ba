// ViewConnection: one client's TCP connection to the browser view, on the
// server's network thread. It reads one request at a time within the
// request limits and a deadline for the whole request, asks its owner where
// the request goes, reads the body only when the head was accepted, and
// writes the reply; or it becomes an event stream that writes what the hub
// has new whenever it is kicked, one write at a time.
//
// Nothing here blocks: a client that sends slowly, reads slowly or not at
// all costs a socket and a few buffers of bounded size, never a thread.
// Each write must finish within a deadline too. A refused request is
// answered, then the connection is closed after a short bounded drain of
// what the client still sends, so the answer is not lost to a reset.
//
// Held by shared_ptr: by the owner while open, and by each operation under
// way. Every member function runs on the network thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>

#include "http_reply.h"
#include "request_parser.h"
#include "update_hub.h"
#include "view_routes.h"

namespace vrelhost {

class ViewConnection;

// What a connection needs of the server that owns it.
class ConnectionOwner {
public:
    virtual ~ConnectionOwner() = default;
    virtual Route route(const Request& head, std::optional<std::uint64_t> contentLength) = 0;
    // A whole request, routed; the owner answers it now or later (respond).
    virtual void handle(const std::shared_ptr<ViewConnection>& connection, Route route, Request request) = 0;
    // Whether the connection is being answered or streams (then it never gives way to another).
    virtual void setBusy(std::uint64_t id, bool busy) = 0;
    virtual void closed(std::uint64_t id, bool wasStream) = 0;
    virtual bool openStream() = 0;  // false when the streams are all taken
};

struct ConnectionTimes {
    std::chrono::milliseconds request{10000};  // from waiting for a request to having it whole
    std::chrono::milliseconds write{10000};    // for one reply or one stream write
    std::chrono::milliseconds drain{1000};     // reading what follows a refused request
};

class ViewConnection : public std::enable_shared_from_this<ViewConnection> {
public:
    ViewConnection(boost::asio::ip::tcp::socket socket, std::uint64_t id, ConnectionOwner& owner, UpdateHub& hub,
                   const RequestLimits& limits, const ConnectionTimes& times);

    std::uint64_t id() const { return id_; }
    void start();
    // The reply to the request handed to the owner.
    void respond(const HttpReply& reply);
    // A stream writes what is new; `idle` writes a comment even when nothing is.
    void kick(bool idle = false);
    bool streaming() const { return streaming_; }
    // At once: the socket closes and every operation under way ends; with
    // `abort`, a reply or event not yet sent is dropped.
    void close(bool abort = false);

private:
    void waitForRequest();
    void onHead(boost::beast::error_code ec);
    void readBody();
    void onBody(boost::beast::error_code ec);
    void handOver();
    void refuse(int status, const std::string& message);
    void write(std::string text, bool thenKeepAlive);
    void drainAndClose();
    void dropIncoming();
    void failedToRead(boost::beast::error_code ec);
    // One write of an event stream, within the write time; then what is new.
    void writeStream(std::string text);
    void beginStream();
    void arm(std::chrono::milliseconds in);
    int statusForParseError(boost::beast::error_code ec) const;

    boost::asio::ip::tcp::socket socket_;
    std::uint64_t id_;
    ConnectionOwner& owner_;
    UpdateHub& hub_;
    RequestLimits limits_;
    ConnectionTimes times_;
    boost::asio::steady_timer deadline_;
    boost::beast::flat_buffer buffer_;
    std::optional<RequestParser> parser_;
    Route route_;                    // of the request being read
    std::string out_;                // the write under way
    bool closed_ = false;
    bool streaming_ = false;
    bool writing_ = false;
    bool idleDue_ = false;
    UpdateHub::Cursor cursor_;
    char scratch_[512];              // what a stream's client sends, or a drain, read and dropped
    std::size_t dropped_ = 0;
};

}  // namespace vrelhost
