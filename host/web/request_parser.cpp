#include "request_parser.h"

#include <limits>

#include <boost/beast/http/error.hpp>

namespace vrelhost {

namespace http = boost::beast::http;

RequestParser::RequestParser(const RequestLimits& limits) : limits_(limits) {
    header_limit(limits_.headBytes);
    // The head is judged before any body is asked for (setBodyLimit); a
    // Content-Length is held against the limit then, by the caller. (No
    // limit is the largest one: the parser takes an empty limit for zero.)
    body_limit(std::numeric_limits<std::uint64_t>::max());
}

void RequestParser::on_request_impl(http::verb, string_view method, string_view target, int version,
                                    error_code& ec) {
    if (target.size() > limits_.target) {
        refusal_ = 414;
        ec = http::error::bad_target;
        return;
    }
    request_.method = std::string(method);
    const std::size_t question = target.find('?');
    request_.path = std::string(target.substr(0, question));
    if (question != string_view::npos) request_.query = std::string(target.substr(question + 1));
    request_.version = version;
}

void RequestParser::on_field_impl(http::field name, string_view, string_view value, error_code& ec) {
    if (++fields_ > limits_.fields) {
        refusal_ = 431;
        ec = http::error::header_limit;
        return;
    }
    // One of each field the checks read: a second could say something else
    // to another reader of the request.
    auto once = [&](std::string& text, bool& seen) {
        if (seen) {
            refusal_ = 400;
            ec = http::error::bad_field;
            return;
        }
        text = std::string(value);
        seen = true;
    };
    switch (name) {
    case http::field::host:
        ++request_.hostFields;
        once(request_.host, request_.hasHost);
        break;
    case http::field::origin: once(request_.origin, request_.hasOrigin); break;
    case http::field::referer: once(request_.referer, request_.hasReferer); break;
    case http::field::content_type: once(request_.contentType, request_.hasContentType); break;
    case http::field::cookie:
        request_.cookie += (request_.cookie.empty() ? "" : "; ") + std::string(value);
        break;
    case http::field::expect:
        request_.expectContinue = value.size() == 12 && boost::beast::iequals(value, "100-continue");
        break;
    default: break;
    }
}

std::size_t RequestParser::takeBody(string_view body, error_code& ec) {
    if (request_.body.size() + body.size() > limits_.body) {
        refusal_ = 413;
        ec = http::error::body_limit;
        return 0;
    }
    request_.body.append(body.data(), body.size());
    return body.size();
}

std::size_t RequestParser::on_body_impl(string_view body, error_code& ec) { return takeBody(body, ec); }

std::size_t RequestParser::on_chunk_body_impl(std::uint64_t, string_view body, error_code& ec) {
    return takeBody(body, ec);
}

}  // namespace vrelhost
