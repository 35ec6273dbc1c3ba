// A bare HTTP/1.1 client over a socket to the loopback, for tests that must
// send what no HTTP library would: heads too long, bodies too large, bytes
// one at a time, requests never finished. Every wait is bounded.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vrelhost::test {

using std::chrono::milliseconds;

struct RawResponse {
    int status = 0;
    std::map<std::string, std::string> fields;  // names in lower case
    std::string body;
    std::string field(const std::string& name) const {
        auto it = fields.find(name);
        return it == fields.end() ? std::string() : it->second;
    }
};

class RawConnection {
public:
    explicit RawConnection(int port, const char* address = "127.0.0.1");
    ~RawConnection();
    RawConnection(RawConnection&& other) noexcept;
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return fd_ >= 0; }
    // All of `bytes`, or false (the server closed, or it took none for `timeout`).
    bool send(std::string_view bytes, milliseconds timeout = milliseconds(2000));
    // One response: its head and a body of its Content-Length. Nothing when
    // the connection closes first or `timeout` passes.
    std::optional<RawResponse> readResponse(milliseconds timeout = milliseconds(3000));
    // What arrives within `timeout` or until `enough` bytes came.
    std::string readFor(milliseconds timeout, std::size_t enough = 1 << 20);
    // Whether the server closed the connection within `timeout` (what it sends is dropped).
    bool closedWithin(milliseconds timeout);
    void close();
    int fd() const { return fd_; }

private:
    // Reads into pending_ once; false on close or timeout.
    bool readMore(milliseconds timeout);

    int fd_ = -1;
    std::string pending_;
    bool eof_ = false;
};

// A request's text: METHOD PATH, Host 127.0.0.1:PORT, then `extra` fields
// (each ending in \r\n) and a body with its Content-Length when given.
std::string requestText(const std::string& method, const std::string& path, int port, const std::string& extra = "",
                        const std::optional<std::string>& body = std::nullopt);

// One request on a fresh connection.
std::optional<RawResponse> roundTrip(int port, const std::string& request, milliseconds timeout = milliseconds(3000));

// Resident memory of this process in KiB, from /proc/self/status.
long residentKiB();

}  // namespace vrelhost::test
