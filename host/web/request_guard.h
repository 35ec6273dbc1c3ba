// The browser view's checks on who may ask what, kept apart from the
// transport so each rule reads on its own and is tested without a socket.
//
//  - A loopback listener answers only requests whose Host names the loopback
//    exactly (a 127.x.y.z literal, localhost or [::1]) with the server's port:
//    a page of another site whose name was rebound to 127.0.0.1 sends its own
//    name and is refused.
//  - A request that changes something must come from the view's own page
//    (its Origin, else its Referer, is this server's origin) or from a client
//    that is no browser (neither field), and carry JSON.
//  - A listener on any other address takes only requests that carry its
//    access token, in the query or in the cookie the page gets with it.
//
// Pure functions of their arguments; any thread.
#pragma once

#include <string>
#include <string_view>

namespace vrelhost {

// Whether a listen address reaches only this machine: a 127.x.y.z literal,
// ::1 or localhost.
bool isLoopbackAddress(std::string_view address);

// Whether a Host header names the loopback exactly, with `port` (which a
// browser leaves out only when it is 80).
bool isLoopbackHost(std::string_view host, int port);

// Whether a state-changing request may run: its Origin, else its Referer,
// is http://HOST (HOST the request's own Host header); a request with
// neither comes from a client that is no browser.
bool isOwnOrigin(std::string_view origin, bool hasOrigin, std::string_view referer, bool hasReferer,
                 std::string_view host);

// Whether a Content-Type is application/json, with parameters or none.
bool isJsonType(std::string_view contentType);

// The value of `name` in a query ("a=1&token=x"), or nothing; no decoding
// (a token is hex digits).
std::string_view queryValue(std::string_view query, std::string_view name);

// The value of cookie `name` in a Cookie header, or nothing.
std::string_view cookieValue(std::string_view cookies, std::string_view name);

// Compares in time that depends only on the lengths, so a client cannot
// find the token one character at a time.
bool sameSecret(std::string_view given, std::string_view secret);

// A fresh access token: 32 random bytes from the system, as 64 hex digits.
// Empty when the system gives no randomness.
std::string newAccessToken();

}  // namespace vrelhost
