// Where a request goes, judged from its head alone, before any body is read:
// the page's files, the state, the event stream (following one position
// with ?position=K), the three actions, or a refusal with its status (400 a
// malformed head or position, 401 no access token, 403 a
// foreign Host or Origin, 404 nothing there, 413 a body over the limit, 415
// not JSON). A refused request is answered and its connection closed, so an
// unread body is never taken for the next request.
//
// Pure function of the head and the server's settings; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "page_files.h"
#include "request_parser.h"

namespace vrelhost {

struct RouteSettings {
    int port = 0;                // the port the server listens on
    bool loopbackOnly = true;    // the Host must name the loopback
    std::string accessToken;     // when not empty, every request must carry it
    std::size_t maxBody = 16 * 1024;
};

enum class Target { refused, page, state, events, press, key, clock };

struct Route {
    Target target = Target::refused;
    int status = 0;             // with refused
    std::string message;        // with refused
    const PageFile* page = nullptr;
    bool setTokenCookie = false;  // the token came in the query: the page keeps it as a cookie
    int position = 0;             // the event stream's ?position=K; 0 for every position
};

// `contentLength`: the head's Content-Length, if any.
Route routeRequest(const Request& head, std::optional<std::uint64_t> contentLength, const RouteSettings& settings);

// The cookie that carries the access token; named after the port, since a
// browser keeps cookies by host name alone and two views may share one.
std::string tokenCookieName(int port);

}  // namespace vrelhost
