// The bytes of the view's HTTP replies. Every reply carries the same guard
// fields: no framing by any page (X-Frame-Options, CSP frame-ancestors),
// scripts and styles from the view itself only, no type sniffing, no caching.
// Pure functions; any thread.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vrelhost {

struct HttpReply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> fields;  // beside the guard fields
};

// A JSON reply: {"error": message}.
HttpReply errorReply(int status, const std::string& message);

// The whole response. Without keepAlive it says "Connection: close"; a
// response to HEAD has no body but the length of one.
std::string responseText(const HttpReply& reply, bool keepAlive, bool headOnly = false);

// The head of an event stream: it ends when the connection closes.
std::string eventStreamHead();

// What "100 Continue" a client that asked for it gets before it sends a body.
extern const char continueResponse[];

const char* reasonPhrase(int status);

}  // namespace vrelhost
