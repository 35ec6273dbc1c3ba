#include "view_routes.h"

#include "request_guard.h"

namespace vrelhost {
namespace {

Route refuse(int status, std::string message) {
    Route route;
    route.status = status;
    route.message = std::move(message);
    return route;
}

const PageFile* pageAt(const std::string& path) {
    for (std::size_t i = 0; i < pageFileCount; ++i)
        if (path == pageFiles[i].path) return &pageFiles[i];
    return nullptr;
}

}  // namespace

std::string tokenCookieName(int port) { return "vrel_token_" + std::to_string(port); }

Route routeRequest(const Request& head, std::optional<std::uint64_t> contentLength, const RouteSettings& settings) {
    if (head.hostFields != 1) return refuse(400, "a request names its host once");
    // A page from elsewhere that found the address by DNS must not reach it.
    if (settings.loopbackOnly && !isLoopbackHost(head.host, settings.port))
        return refuse(403, "this view answers only to the loopback address with its port");

    bool tokenInQuery = false;
    if (!settings.accessToken.empty()) {
        tokenInQuery = sameSecret(queryValue(head.query, "token"), settings.accessToken);
        const bool tokenInCookie =
            sameSecret(cookieValue(head.cookie, tokenCookieName(settings.port)), settings.accessToken);
        if (!tokenInQuery && !tokenInCookie)
            return refuse(401, "this view needs its access token: open the address vrel-host printed");
    }

    // What each method and path is, in one table.
    struct Endpoint {
        const char* method;
        const char* path;
        Target target;
    };
    static const Endpoint endpoints[] = {{"GET", "/api/state", Target::state},
                                         {"GET", "/api/events", Target::events},
                                         {"POST", "/api/press", Target::press},
                                         {"POST", "/api/key", Target::key},
                                         {"POST", "/api/clock", Target::clock}};
    Route route;
    const bool post = head.method == "POST";
    if ((head.method == "GET" || head.method == "HEAD") && (route.page = pageAt(head.path))) {
        route.target = Target::page;
        route.setTokenCookie = tokenInQuery;
    } else {
        for (const Endpoint& e : endpoints)
            if (head.method == e.method && head.path == e.path) route.target = e.target;
        if (route.target == Target::refused)
            return refuse(404, "no such resource: " + head.method + " " + head.path);
    }

    if (post) {
        if (!isOwnOrigin(head.origin, head.hasOrigin, head.referer, head.hasReferer, head.host))
            return refuse(403, "an action must come from the view's own page");
        if (!isJsonType(head.contentType)) return refuse(415, "send the body as application/json");
    }
    if (contentLength && *contentLength > settings.maxBody) return refuse(413, "the request is too large");
    if (route.target == Target::events) {
        const std::string_view position = queryValue(head.query, "position");
        if (!position.empty()) {
            const bool digits = position.size() <= 3 && position.find_first_not_of("0123456789") == std::string_view::npos;
            if (!digits || position == "0") return refuse(400, "position is a number from 1");
            route.position = std::stoi(std::string(position));
        }
    }
    return route;
}

}  // namespace vrelhost
