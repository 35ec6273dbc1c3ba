#include "umd_sender.h"

#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace vrelhost {

bool parseUmdTarget(const std::string& text, UmdTarget& target, std::string& error) {
    const std::size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? text : text.substr(0, colon);
    const std::string port = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) host = host.substr(1, host.size() - 2);
    const bool digits = !port.empty() && port.size() <= 5 && port.find_first_not_of("0123456789") == std::string::npos;
    const int number = digits ? std::stoi(port) : 0;
    if (colon == std::string::npos || host.empty() || number < 1 || number > 65535 ||
        host.find_first_of("[] \t") != std::string::npos || (!bracketed && host.find(':') != std::string::npos)) {
        error = "\"" + text + "\" is not HOST:PORT (a host name or address, a colon, a UDP port 1 to 65535; "
                "an IPv6 address in brackets: [::1]:8900)";
        return false;
    }
    target.host = host;
    target.port = number;
    return true;
}

std::unique_ptr<UmdSender> UmdSender::open(const UmdSettings& settings, std::ostream& warnings, std::string& error) {
    const std::string where = settings.target.host + ":" + std::to_string(settings.target.port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int status =
        ::getaddrinfo(settings.target.host.c_str(), std::to_string(settings.target.port).c_str(), &hints, &found);
    if (status != 0) {
        error = "UMD receiver " + where + ": " + ::gai_strerror(status);
        return nullptr;
    }
    int fd = -1;
    std::string problem = "no address";
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            problem = std::strerror(errno);
            continue;
        }
        // Connected, so a receiver that is not there is told on a later send.
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            problem = std::strerror(errno);
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0) {
        error = "UMD receiver " + where + ": " + problem;
        return nullptr;
    }
    return std::unique_ptr<UmdSender>(new UmdSender(fd, settings, where, warnings));
}

UmdSender::UmdSender(int socket, UmdSettings settings, std::string where, std::ostream& warnings)
    : socket_(socket), settings_(std::move(settings)), where_(std::move(where)), warnings_(warnings) {
    refresher_ = std::thread([this] { refreshLoop(); });
}

UmdSender::~UmdSender() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    refresher_.join();
    ::close(socket_);
}

void UmdSender::refreshLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto period = std::chrono::seconds(std::max(settings_.refreshSeconds, 1));  // never a busy loop
    while (!stopping_) {
        if (wake_.wait_for(lock, period, [this] { return stopping_; })) break;
        if (!displays_.empty()) send(displays_);
    }
}

void UmdSender::displaysChanged(const DisplayState& state, const DisplayChange& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    displays_.resize(state.names.size());
    for (std::size_t i = 0; i < state.names.size(); ++i)
        displays_[i] = UmdDisplay{static_cast<std::uint16_t>(i), state.brightness, state.names[i]};
    if (change.set || change.brightness) {
        send(displays_);
        return;
    }
    std::vector<UmdDisplay> renamed;
    for (int k : change.renamed)
        if (k >= 1 && static_cast<std::size_t>(k) <= displays_.size())
            renamed.push_back(displays_[static_cast<std::size_t>(k - 1)]);
    if (!renamed.empty()) send(renamed);
}

void UmdSender::send(const std::vector<UmdDisplay>& displays) {
    for (const std::string& packet : umdPackets(displays, settings_.screen)) {
        const ssize_t written = ::send(socket_, packet.data(), packet.size(), MSG_NOSIGNAL);
        if (written == static_cast<ssize_t>(packet.size())) {
            ++sent_;
            continue;
        }
        if (failed_++ == 0)
            warnings_ << "vrel-host: UMD output to " << where_ << " failed: "
                      << (written < 0 ? std::strerror(errno) : "the packet was cut short")
                      << "; the session goes on, and further failures are not reported\n"
                      << std::flush;
    }
}

std::size_t UmdSender::packetsSent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

std::size_t UmdSender::failedSends() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

}  // namespace vrelhost
