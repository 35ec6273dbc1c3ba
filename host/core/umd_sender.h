// UmdSender: feeds what the displays show (display_wall.h) to a UMD
// receiver over UDP, as UMD messages version 5.0 (umd_packets.h): every
// display at start, again when another name set goes live or the brightness
// changes, and every refresh period (receivers expect to hear from their
// source); only the one display on a rename.
//
// Sending never holds up or ends the session: the socket does not block,
// and a send that fails (no receiver, no route, a full buffer) is one
// warning on `warnings` for the whole session, however many follow; the
// session goes on.
//
// displaysChanged() is called on the session's thread; the refresh runs on a
// thread of the sender's own. Both send from the sender's copy of the
// displays, under one lock. The destructor stops the refresh thread and
// closes the socket. `warnings` is the caller's and must outlive the sender.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "display_wall.h"
#include "umd_packets.h"

namespace vrelhost {

// Where the packets go: a host name or address, and a UDP port.
struct UmdTarget {
    std::string host;
    int port = 0;
};
// "HOST:PORT", "[IPV6]:PORT": false with `error` saying what is wrong.
bool parseUmdTarget(const std::string& text, UmdTarget& target, std::string& error);

struct UmdSettings {
    UmdTarget target;
    std::uint16_t screen = 0;
    int refreshSeconds = 2;
};

class UmdSender {
public:
    // The sender with its socket, or nothing with `error` (a host that does
    // not resolve, no socket to be had).
    static std::unique_ptr<UmdSender> open(const UmdSettings& settings, std::ostream& warnings, std::string& error);
    ~UmdSender();
    UmdSender(const UmdSender&) = delete;
    UmdSender& operator=(const UmdSender&) = delete;

    // A SimulationSettings::displaysListener.
    void displaysChanged(const DisplayState& state, const DisplayChange& change);

    // Packets handed to the network, and sends that failed, so far.
    std::size_t packetsSent() const;
    std::size_t failedSends() const;

private:
    UmdSender(int socket, UmdSettings settings, std::string where, std::ostream& warnings);
    void refreshLoop();
    void send(const std::vector<UmdDisplay>& displays);  // under mutex_

    int socket_;
    UmdSettings settings_;
    std::string where_;  // HOST:PORT, for warnings
    std::ostream& warnings_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<UmdDisplay> displays_;  // under mutex_; empty until the first change
    bool stopping_ = false;             // under mutex_
    std::size_t sent_ = 0, failed_ = 0;  // under mutex_
    std::thread refresher_;
};

}  // namespace vrelhost
