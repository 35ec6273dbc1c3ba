#include "http_reply.h"

#include "view_model.h"

namespace vrelhost {
namespace {

// On every reply: a page elsewhere cannot frame the view (clickjacking), the
// page runs only its own script and style, and nothing is taken for another
// type than the one named.
const char guardFields[] =
    "X-Frame-Options: DENY\r\n"
    "Content-Security-Policy: default-src 'self'; script-src 'self'; style-src 'self'; "
    "frame-ancestors 'none'; base-uri 'none'; form-action 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: same-origin\r\n"
    "Cache-Control: no-store\r\n";

}  // namespace

const char continueResponse[] = "HTTP/1.1 100 Continue\r\n\r\n";

const char* reasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 415: return "Unsupported Media Type";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

HttpReply errorReply(int status, const std::string& message) {
    return {status, "application/json", toText({{"error", message}}), {}};
}

std::string responseText(const HttpReply& reply, bool keepAlive, bool headOnly) {
    std::string text = "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonPhrase(reply.status) + "\r\n";
    text += guardFields;
    if (!reply.contentType.empty()) text += "Content-Type: " + reply.contentType + "\r\n";
    for (const auto& [name, value] : reply.fields) text += name + ": " + value + "\r\n";
    text += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    if (!keepAlive) text += "Connection: close\r\n";
    text += "\r\n";
    if (!headOnly) text += reply.body;
    return text;
}

std::string eventStreamHead() {
    return std::string("HTTP/1.1 200 OK\r\n") + guardFields +
           "Content-Type: text/event-stream\r\n"
           "Connection: close\r\n\r\n";
}

}  // namespace vrelhost
