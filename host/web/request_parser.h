// RequestParser: reads one HTTP/1 request within fixed limits, keeping only
// what the view looks at: the method, the target, the few fields it checks
// and a body no longer than the limit, whatever the transfer encoding.
//
// The head (request line and fields, trailers included) is limited in bytes
// and in fields; past either, parsing stops with refusal() 431 (414 when the
// target alone is too long). The body limit is set once the head is judged
// (setBodyLimit), so that a request refused for its head is never asked
// for its body; past it, refusal() is 413. The wire format itself (chunks,
// Content-Length, Connection) is the Boost.Beast parser underneath.
//
// One parser per request; one thread.
#pragma once

#include <cstdint>
#include <string>

#include <boost/beast/http/basic_parser.hpp>

namespace vrelhost {

struct RequestLimits {
    std::uint32_t headBytes = 16 * 1024;  // request line and fields
    int fields = 100;
    std::size_t target = 8 * 1024;
    std::size_t body = 16 * 1024;
};

// What the view reads of a request.
struct Request {
    std::string method;
    std::string path;   // the target up to '?'
    std::string query;  // after '?', undecoded
    int version = 11;
    std::string host, origin, referer, contentType, cookie;
    bool hasHost = false, hasOrigin = false, hasReferer = false, hasContentType = false;
    int hostFields = 0;  // more than one Host is refused
    bool expectContinue = false;
    std::string body;
};

class RequestParser : public boost::beast::http::basic_parser<true> {
public:
    explicit RequestParser(const RequestLimits& limits);

    const Request& request() const { return request_; }
    Request& request() { return request_; }
    // The status a refusal of the request calls for (0 while there is none
    // of the parser's own).
    int refusal() const { return refusal_; }
    // The body may now be read, up to the limit.
    void setBodyLimit() { body_limit(limits_.body); }

private:
    using error_code = boost::beast::error_code;
    using string_view = boost::beast::string_view;
    void on_request_impl(boost::beast::http::verb, string_view method, string_view target, int version,
                         error_code& ec) override;
    void on_response_impl(int, string_view, int, error_code&) override {}
    void on_field_impl(boost::beast::http::field name, string_view nameText, string_view value,
                       error_code& ec) override;
    void on_header_impl(error_code&) override {}
    void on_body_init_impl(const boost::optional<std::uint64_t>&, error_code&) override {}
    std::size_t on_body_impl(string_view body, error_code& ec) override;
    void on_chunk_header_impl(std::uint64_t, string_view, error_code&) override {}
    std::size_t on_chunk_body_impl(std::uint64_t, string_view body, error_code& ec) override;
    void on_finish_impl(error_code&) override {}

    std::size_t takeBody(string_view body, error_code& ec);

    RequestLimits limits_;
    Request request_;
    int fields_ = 0;
    int refusal_ = 0;
};

}  // namespace vrelhost
