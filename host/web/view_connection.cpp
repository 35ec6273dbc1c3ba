#include "view_connection.h"

#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>

#include "view_model.h"

namespace vrelhost {

namespace net = boost::asio;
namespace http = boost::beast::http;
using boost::beast::error_code;

namespace {

// Room for the head and one chunk line or the trailers beside it: what the
// parser reads but has not taken yet. Past it the request is refused.
std::size_t bufferLimit(const RequestLimits& limits) { return limits.headBytes + 8 * 1024; }

// The kernel's buffer for a reply or events on their way (it counts it twice).
constexpr int sendBuffer = 256 * 1024;

// The most a drain or a stream's client may send that is read and dropped.
constexpr std::size_t mostDropped = 64 * 1024;

std::string event(const char* name, const std::string& data) {
    return std::string("event: ") + name + "\ndata: " + data + "\n\n";
}

// The log entries are JSON object texts already: joined, not parsed again.
std::string logEvent(const std::vector<std::string>& entries, bool dropped) {
    std::string text = std::string("{\"dropped\":") + (dropped ? "true" : "false") + ",\"lines\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) text += (i ? "," : "") + entries[i];
    return text + "]}";
}

// Whether an error only says the client went (or the deadline closed it).
bool isGone(error_code ec) {
    return ec == http::error::end_of_stream || ec == net::error::eof || ec == net::error::operation_aborted ||
           ec == net::error::connection_reset || ec == net::error::bad_descriptor || ec == http::error::partial_message;
}

}  // namespace

ViewConnection::ViewConnection(net::ip::tcp::socket socket, std::uint64_t id, ConnectionOwner& owner,
                               UpdateHub& hub, const RequestLimits& limits, const ConnectionTimes& times)
    : socket_(std::move(socket)), id_(id), owner_(owner), hub_(hub), limits_(limits), times_(times),
      deadline_(socket_.get_executor()), buffer_(bufferLimit(limits)) {}

void ViewConnection::start() {
    // An event goes out in small writes: without this the kernel holds them back for an ACK.
    error_code ignored;
    socket_.set_option(net::ip::tcp::no_delay(true), ignored);
    // What the client has not taken yet is bounded in the kernel too: left to
    // itself, a connection's send buffer grows to megabytes.
    socket_.set_option(net::socket_base::send_buffer_size(sendBuffer), ignored);
    waitForRequest();
}

void ViewConnection::arm(std::chrono::milliseconds in) {
    deadline_.expires_after(in);
    deadline_.async_wait([self = shared_from_this()](error_code ec) {
        // Cancelled, moved on (armed anew), or already closed: not this deadline.
        if (ec || self->closed_ || self->deadline_.expiry() > std::chrono::steady_clock::now()) return;
        self->close();
    });
}

void ViewConnection::close(bool abort) {
    if (closed_) return;
    closed_ = true;
    error_code ignored;
    // Aborted, what is still unsent is dropped at once instead of being
    // handed to a client that may never read it.
    if (abort) socket_.set_option(net::socket_base::linger(true, 0), ignored);
    deadline_.cancel();
    socket_.shutdown(net::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    if (streaming_) hub_.closeStream();
    owner_.closed(id_, streaming_);
}

void ViewConnection::waitForRequest() {
    parser_.emplace(limits_);
    arm(times_.request);
    http::async_read_header(socket_, buffer_, *parser_,
                            [self = shared_from_this()](error_code ec, std::size_t) { self->onHead(ec); });
}

int ViewConnection::statusForParseError(error_code ec) const {
    if (parser_->refusal() != 0) return parser_->refusal();
    if (ec == http::error::body_limit) return 413;
    if (ec == http::error::header_limit || (ec == http::error::buffer_overflow && !parser_->is_header_done()))
        // The parser takes the request line as soon as it ends: when it has
        // not, the line alone, so its target, is too long.
        return parser_->request().method.empty() ? 414 : 431;
    if (ec == http::error::buffer_overflow) return 413;  // a chunk line or trailers past the room
    return 400;
}

void ViewConnection::failedToRead(error_code ec) {
    // A client that left is closed; a request the parser refused is answered.
    if (isGone(ec) && parser_->refusal() == 0) return close();
    const int status = statusForParseError(ec);
    refuse(status, status == 400 ? "the request is malformed" : "the request is too large");
}

void ViewConnection::onHead(error_code ec) {
    if (closed_) return;
    if (ec) return failedToRead(ec);
    route_ = owner_.route(parser_->request(), parser_->request().contentLength);
    if (route_.target == Target::refused) return refuse(route_.status, route_.message);
    if (route_.target == Target::events) return beginStream();
    if (parser_->is_done()) return handOver();
    if (parser_->request().expectContinue) {
        out_ = continueResponse;
        net::async_write(socket_, net::buffer(out_), [self = shared_from_this()](error_code ec, std::size_t) {
            if (ec || self->closed_) return self->close();
            self->readBody();
        });
        return;
    }
    readBody();
}

void ViewConnection::readBody() {
    parser_->setBodyLimit();
    http::async_read(socket_, buffer_, *parser_,
                     [self = shared_from_this()](error_code ec, std::size_t) { self->onBody(ec); });
}

void ViewConnection::onBody(error_code ec) {
    if (closed_) return;
    if (ec) return failedToRead(ec);
    handOver();
}

void ViewConnection::handOver() {
    deadline_.expires_at(net::steady_timer::time_point::max());
    owner_.setBusy(id_, true);
    owner_.handle(shared_from_this(), route_, std::move(parser_->request()));
}

void ViewConnection::refuse(int status, const std::string& message) {
    owner_.setBusy(id_, true);
    write(responseText(errorReply(status, message), false), false);
}

void ViewConnection::respond(const HttpReply& reply) {
    if (closed_) return;
    const bool keepAlive = parser_ && parser_->keep_alive();
    const bool headOnly = parser_ && parser_->request().method == "HEAD";
    write(responseText(reply, keepAlive, headOnly), keepAlive);
}

void ViewConnection::write(std::string text, bool thenKeepAlive) {
    out_ = std::move(text);
    // Now it waits for its client to take the reply: like one waiting for its
    // request, it gives way to a new connection, so a client that pipelines
    // requests and never reads keeps no one out.
    owner_.setBusy(id_, false);
    arm(times_.write);
    net::async_write(socket_, net::buffer(out_), [self = shared_from_this(), thenKeepAlive](error_code ec, std::size_t) {
        if (self->closed_) return;
        if (ec) return self->close();
        self->out_.clear();
        self->out_.shrink_to_fit();
        if (!thenKeepAlive) return self->drainAndClose();
        self->owner_.setBusy(self->id_, false);
        self->waitForRequest();
    });
}

void ViewConnection::drainAndClose() {
    // The client may still be sending what was refused: reading a little of
    // it, bounded in bytes and time, lets the reply reach it before the close.
    error_code ignored;
    socket_.shutdown(net::ip::tcp::socket::shutdown_send, ignored);
    owner_.setBusy(id_, false);  // answered: it may give way to a new connection
    arm(times_.drain);
    dropped_ = 0;
    dropIncoming();
}

void ViewConnection::dropIncoming() {
    // Read and dropped, bounded in bytes: so the close of a client that
    // leaves (or is done sending) is noticed at once, not at the next write.
    socket_.async_read_some(net::buffer(scratch_), [self = shared_from_this()](error_code ec, std::size_t n) {
        if (self->closed_) return;
        self->dropped_ += n;
        if (ec || self->dropped_ > mostDropped) return self->close();
        self->dropIncoming();
    });
}

void ViewConnection::beginStream() {
    if (!owner_.openStream()) return refuse(503, "too many open views");
    streaming_ = true;
    cursor_.position = route_.position;
    owner_.setBusy(id_, true);
    deadline_.expires_at(net::steady_timer::time_point::max());
    parser_.reset();
    buffer_.clear();
    buffer_.shrink_to_fit();
    writeStream(eventStreamHead());
    dropIncoming();
}

void ViewConnection::writeStream(std::string text) {
    out_ = std::move(text);
    writing_ = true;
    arm(times_.write);
    net::async_write(socket_, net::buffer(out_), [self = shared_from_this()](error_code ec, std::size_t) {
        self->writing_ = false;
        if (self->closed_) return;
        if (ec) return self->close();
        self->deadline_.expires_at(net::steady_timer::time_point::max());
        self->out_.clear();
        self->kick();  // what came while this was written
    });
}

void ViewConnection::kick(bool idle) {
    if (!streaming_ || closed_) return;
    idleDue_ = idleDue_ || idle;
    if (writing_) return;  // its end kicks again
    const UpdateHub::News news = hub_.take(cursor_);
    // The state first: what the operator waits to see.
    std::string text;
    if (!news.state.empty()) text += event("state", news.state);
    for (const std::string& batch : news.changes) text += event("change", batch);
    if (!news.lines.empty() || news.linesDropped) text += event("log", logEvent(news.lines, news.linesDropped));
    if (text.empty() && idleDue_) text = ": idle\n\n";
    idleDue_ = false;
    if (!text.empty()) writeStream(std::move(text));
}

}  // namespace vrelhost
