#include "raw_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace vrelhost::test {
namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

RawConnection::RawConnection(int port, const char* address) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address, &where.sin_addr);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    int yes = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

RawConnection::RawConnection(RawConnection&& other) noexcept
    : fd_(other.fd_), pending_(std::move(other.pending_)), eof_(other.eof_) {
    other.fd_ = -1;
}

RawConnection::~RawConnection() { close(); }

void RawConnection::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool RawConnection::send(std::string_view bytes, milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    while (!bytes.empty() && fd_ >= 0) {
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, remainingMs(until)) <= 0) return false;
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return bytes.empty();
}

bool RawConnection::readMore(milliseconds timeout) {
    if (fd_ < 0 || eof_) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return false;
    char buffer[16384];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
        eof_ = true;
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

std::optional<RawResponse> RawConnection::readResponse(milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    std::size_t end;
    while ((end = pending_.find("\r\n\r\n")) == std::string::npos)
        if (!readMore(milliseconds(remainingMs(until)))) return std::nullopt;
    RawResponse response;
    const std::string head = pending_.substr(0, end + 2);
    std::size_t line = head.find("\r\n");
    const std::string status = head.substr(0, line);
    if (status.compare(0, 9, "HTTP/1.1 ") != 0 || status.size() < 12) return std::nullopt;
    response.status = std::atoi(status.c_str() + 9);
    for (std::size_t at = line + 2; at < head.size();) {
        const std::size_t next = head.find("\r\n", at);
        const std::string field = head.substr(at, next - at);
        const std::size_t colon = field.find(':');
        if (colon != std::string::npos) {
            std::string value = field.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            response.fields[lower(field.substr(0, colon))] = value;
        }
        at = next + 2;
    }
    pending_.erase(0, end + 4);
    const std::size_t length = std::strtoul(response.field("content-length").c_str(), nullptr, 10);
    while (pending_.size() < length)
        if (!readMore(milliseconds(remainingMs(until)))) return std::nullopt;
    response.body = pending_.substr(0, length);
    pending_.erase(0, length);
    return response;
}

std::string RawConnection::readFor(milliseconds timeout, std::size_t enough) {
    const auto until = Clock::now() + timeout;
    while (pending_.size() < enough && readMore(milliseconds(remainingMs(until)))) {
    }
    std::string out;
    out.swap(pending_);
    return out;
}

bool RawConnection::closedWithin(milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    while (!eof_ && fd_ >= 0) {
        if (!readMore(milliseconds(remainingMs(until))) && !eof_) return false;
        pending_.clear();
    }
    return true;
}

std::string requestText(const std::string& method, const std::string& path, int port, const std::string& extra,
                        const std::optional<std::string>& body) {
    std::string text = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + extra;
    if (body) text += "Content-Length: " + std::to_string(body->size()) + "\r\n";
    text += "\r\n";
    if (body) text += *body;
    return text;
}

std::optional<RawResponse> roundTrip(int port, const std::string& request, milliseconds timeout) {
    RawConnection connection(port);
    if (!connection.send(request, timeout)) return std::nullopt;
    return connection.readResponse(timeout);
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

}  // namespace vrelhost::test
