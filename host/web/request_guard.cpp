#include "request_guard.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>

namespace vrelhost {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool isDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A decimal 0 to 255 as a browser writes it: no sign, no leading zero.
bool isOctet(std::string_view s) {
    if (!isDigits(s) || s.size() > 3 || (s.size() > 1 && s[0] == '0')) return false;
    int value = 0;
    for (char c : s) value = value * 10 + (c - '0');
    return value <= 255;
}

// 127.x.y.z, four octets written out.
bool isLoopbackLiteral(std::string_view name) {
    int parts = 0;
    while (true) {
        const std::size_t dot = name.find('.');
        const std::string_view part = name.substr(0, dot);
        if (!isOctet(part) || (parts == 0 && part != "127")) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        name.remove_prefix(dot + 1);
    }
    return parts == 4;
}

// The characters of an HTTP token (a parameter name).
bool isToken(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum && std::string_view("!#$%&'*+-.^_`|~").find(c) == std::string_view::npos) return false;
    }
    return true;
}

}  // namespace

bool isLoopbackAddress(std::string_view address) {
    return isLoopbackLiteral(address) || address == "::1" || address == "[::1]" ||
           sameIgnoringCase(address, "localhost");
}

bool isLoopbackHost(std::string_view host, int port) {
    std::string_view name, portText;
    bool hasPort = false;
    if (!host.empty() && host.front() == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string_view::npos) return false;
        name = host.substr(0, close + 1);
        const std::string_view rest = host.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            portText = rest.substr(1);
            hasPort = true;
        }
        if (name != "[::1]") return false;
    } else {
        const std::size_t colon = host.rfind(':');
        name = host.substr(0, colon);
        if (colon != std::string_view::npos) {
            portText = host.substr(colon + 1);
            hasPort = true;
        }
        if (!isLoopbackLiteral(name) && !sameIgnoringCase(name, "localhost")) return false;
    }
    if (!hasPort) return port == 80;
    return isDigits(portText) && portText == std::to_string(port);
}

bool isOwnOrigin(std::string_view origin, bool hasOrigin, std::string_view referer, bool hasReferer,
                 std::string_view host) {
    if (host.empty()) return !hasOrigin && !hasReferer;
    const std::string own = "http://" + std::string(host);
    if (hasOrigin) return sameIgnoringCase(trimmed(origin), own);
    if (hasReferer) return startsWithIgnoringCase(trimmed(referer), own + "/");
    return true;
}

bool isJsonType(std::string_view contentType) {
    const std::size_t semicolon = contentType.find(';');
    if (!sameIgnoringCase(trimmed(contentType.substr(0, semicolon)), "application/json")) return false;
    std::string_view rest = semicolon == std::string_view::npos ? std::string_view() : contentType.substr(semicolon + 1);
    while (!rest.empty()) {
        const std::size_t next = rest.find(';');
        const std::string_view parameter = trimmed(rest.substr(0, next));
        const std::size_t equals = parameter.find('=');
        if (equals == std::string_view::npos || !isToken(parameter.substr(0, equals)) ||
            parameter.size() == equals + 1 || parameter.find(',') != std::string_view::npos)
            return false;
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
    }
    return true;
}

std::string_view queryValue(std::string_view query, std::string_view name) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=')
            return pair.substr(name.size() + 1);
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return {};
}

std::string_view cookieValue(std::string_view cookies, std::string_view name) {
    while (!cookies.empty()) {
        const std::size_t semicolon = cookies.find(';');
        const std::string_view pair = trimmed(cookies.substr(0, semicolon));
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=')
            return pair.substr(name.size() + 1);
        if (semicolon == std::string_view::npos) break;
        cookies.remove_prefix(semicolon + 1);
    }
    return {};
}

bool sameSecret(std::string_view given, std::string_view secret) {
    if (secret.empty() || given.size() != secret.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < secret.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
    return difference == 0;
}

std::string newAccessToken() {
    unsigned char bytes[32];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::string();
        got += static_cast<std::size_t>(n);
    }
    static const char digits[] = "0123456789abcdef";
    std::string token;
    for (unsigned char b : bytes) {
        token += digits[b >> 4];
        token += digits[b & 15];
    }
    return token;
}

}  // namespace vrelhost
