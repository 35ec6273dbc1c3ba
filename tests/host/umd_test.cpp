// UMD output: packets read back from a real UDP socket on 127.0.0.1 and
// decoded here, field by field, as a display controller reads them; the
// session's renames, set changes and brightness changes arrive as they happen.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <sstream>

#include "tests/host/temp_site.h"
#include "umd_packets.h"
#include "umd_sender.h"

namespace vrelhost {
namespace {

struct Message {
    unsigned index = 0, control = 0;
    std::string text;  // as sent: ASCII, or UTF-16LE when the packet says so
};
struct Packet {
    unsigned version = 0, flags = 0, screen = 0;
    std::vector<Message> messages;
};

unsigned le16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

// The packet as the protocol lays it out; a failure when any count disagrees.
Packet decode(const std::string& bytes) {
    Packet p;
    EXPECT_GE(bytes.size(), 6u);
    EXPECT_LE(bytes.size(), 2048u);
    if (bytes.size() < 6) return p;
    EXPECT_EQ(le16(bytes, 0), bytes.size() - 2) << "PBC counts the bytes after it";
    p.version = static_cast<unsigned char>(bytes[2]);
    p.flags = static_cast<unsigned char>(bytes[3]);
    p.screen = le16(bytes, 4);
    std::size_t at = 6;
    while (at + 6 <= bytes.size()) {
        Message m;
        m.index = le16(bytes, at);
        m.control = le16(bytes, at + 2);
        const unsigned length = le16(bytes, at + 4);
        at += 6;
        EXPECT_LE(at + length, bytes.size());
        m.text = bytes.substr(at, length);
        at += length;
        p.messages.push_back(m);
    }
    EXPECT_EQ(at, bytes.size()) << "whole messages only";
    return p;
}

std::string utf16(std::initializer_list<unsigned> units) {
    std::string out;
    for (unsigned u : units) out += {static_cast<char>(u & 0xff), static_cast<char>(u >> 8)};
    return out;
}

struct Receiver {
    Receiver() {
        fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            ADD_FAILURE() << "no receiving socket";
        port = ntohs(address.sin_port);
    }
    ~Receiver() { ::close(fd); }
    // The packets that arrive until `ms` pass without one.
    std::vector<Packet> take(int ms = 300) {
        std::vector<Packet> packets;
        pollfd p{fd, POLLIN, 0};
        while (packets.size() < 1000 && ::poll(&p, 1, ms) > 0) {
            std::string buffer(65536, '\0');
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n < 0) break;
            packets.push_back(decode(buffer.substr(0, static_cast<std::size_t>(n))));
        }
        return packets;
    }
    int fd = -1;
    int port = 0;
};

// index -> (brightness, text), with every packet's header checked.
std::map<unsigned, std::pair<unsigned, std::string>> displaysIn(const std::vector<Packet>& packets,
                                                                unsigned screen = 0) {
    std::map<unsigned, std::pair<unsigned, std::string>> out;
    for (const Packet& p : packets) {
        EXPECT_EQ(p.version, 0u);
        EXPECT_EQ(p.screen, screen);
        for (const Message& m : p.messages) {
            EXPECT_EQ(m.control & ~0xc0u, 0u) << "tallies off, a display message";
            out[m.index] = {m.control >> 6, m.text};
        }
    }
    return out;
}

TEST(UmdPackets, TextsGoAsASCIIOrUTF16AndPacketsStayWithinTheirSize) {
    std::vector<UmdDisplay> displays = {
        {0, 1, "CAM1"}, {1, 2, "Zwölf"}, {2, 3, std::string("Caf\xe9", 4)}, {3, 3, "\xf0\x9f\x8e\xa5"}, {4, 0, ""}};
    std::vector<Packet> packets;
    for (const std::string& bytes : umdPackets(displays, 7)) packets.push_back(decode(bytes));
    ASSERT_EQ(packets.size(), 2u) << "one packet per encoding";
    EXPECT_EQ(packets[0].flags, 0u);
    EXPECT_EQ(packets[1].flags, 1u);
    const auto shown = displaysIn(packets, 7);
    EXPECT_EQ(shown.at(0), std::make_pair(1u, std::string("CAM1")));
    EXPECT_EQ(shown.at(1).second, utf16({'Z', 'w', 0xf6, 'l', 'f'}));
    EXPECT_EQ(shown.at(2).second, utf16({'C', 'a', 'f', 0xe9})) << "not UTF-8: read as Latin-1";
    EXPECT_EQ(shown.at(3).second, utf16({0xd83c, 0xdfa5})) << "a surrogate pair";
    EXPECT_EQ(shown.at(4), std::make_pair(3u, std::string())) << "no level reported: full brightness";

    // 128 long names need several packets, none over 2048 bytes, every display once.
    std::vector<UmdDisplay> many;
    for (unsigned i = 0; i < 128; ++i) many.push_back({static_cast<std::uint16_t>(i), 2, std::string(40, 'a' + i % 26)});
    many.push_back({128, 2, std::string(5000, 'x')});
    packets.clear();
    for (const std::string& bytes : umdPackets(many, 0)) packets.push_back(decode(bytes));
    EXPECT_GT(packets.size(), 3u);
    const auto all = displaysIn(packets);
    EXPECT_EQ(all.size(), 129u);
    EXPECT_EQ(all.at(127).second, std::string(40, 'a' + 127 % 26));
    EXPECT_EQ(all.at(128).second.size(), 2036u) << "a name too long for a packet is cut to fit";
}

TEST(UmdTarget, HostAndPortAreCheckedWithAClearMessage) {
    UmdTarget target;
    std::string error;
    EXPECT_TRUE(parseUmdTarget("127.0.0.1:8900", target, error));
    EXPECT_EQ(target.host, "127.0.0.1");
    EXPECT_EQ(target.port, 8900);
    EXPECT_TRUE(parseUmdTarget("[::1]:9", target, error));
    EXPECT_EQ(target.host, "::1");
    for (const char* bad : {"127.0.0.1", "127.0.0.1:", ":8900", "host:0", "host:65536", "host:89x", "::1:80"}) {
        EXPECT_FALSE(parseUmdTarget(bad, target, error)) << bad;
        EXPECT_NE(error.find("is not HOST:PORT"), std::string::npos) << error;
    }
}

TEST(UmdSender, FollowsTheSessionAndRefreshes) {
    Receiver receiver;
    std::ostringstream warnings;
    std::string error;
    UmdSettings settings;
    settings.target = {"127.0.0.1", receiver.port};
    settings.screen = 4;
    settings.refreshSeconds = 3600;  // no refresh in the way of what a change sends
    std::unique_ptr<UmdSender> sender = UmdSender::open(settings, warnings, error);
    ASSERT_TRUE(sender) << error;
    KelvaneSession session([&](SimulationSettings& s) {
        s.displaysListener = [&](const DisplayState& state, const DisplayChange& change) {
            sender->displaysChanged(state, change);
        };
    });
    ASSERT_TRUE(session.simulation) << session.error;
    Simulation& simulation = *session.simulation;
    auto run = [&](const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            ASSERT_EQ(simulation.runLine(line).outcome, Simulation::Outcome::done) << line;
    };

    auto shown = displaysIn(receiver.take(), 4);
    ASSERT_EQ(shown.size(), 128u) << "every display at start";
    EXPECT_EQ(shown.at(0), std::make_pair(2u, std::string("CAM1")));
    EXPECT_EQ(shown.at(127).second, "SPR16");

    run({"press 1 Name_Editor", "press 2 NameSet_1", "press 2 SrcName index=17"});
    for (int i = 0; i < 8; ++i) run({"key backspace"});
    run({"type Zwölf", "key return", "press 2 Update"});
    shown = displaysIn(receiver.take(), 4);
    ASSERT_EQ(shown.size(), 1u) << "a rename: that display alone";
    EXPECT_EQ(shown.at(16).second, utf16({'Z', 'w', 0xf6, 'l', 'f'}));

    run({"press 2 Nameset_Select", "press 1 Select_3", "press 1 Confirm"});
    shown = displaysIn(receiver.take(), 4);
    ASSERT_EQ(shown.size(), 128u) << "another set: every display";
    EXPECT_EQ(shown.at(0).second, "N-CAM1");

    run({"press 1 UMDBright_1"});
    shown = displaysIn(receiver.take(), 4);
    ASSERT_EQ(shown.size(), 128u) << "another brightness: every display";
    EXPECT_EQ(shown.at(5).first, 1u);

    EXPECT_EQ(simulation.finish(), 0) << session.errors.str();
    EXPECT_EQ(sender->failedSends(), 0u);
    EXPECT_EQ(warnings.str(), "");
}

TEST(UmdSender, SendsEveryDisplayAgainEachPeriod) {
    Receiver receiver;
    std::ostringstream warnings;
    std::string error;
    std::unique_ptr<UmdSender> sender = UmdSender::open({{"127.0.0.1", receiver.port}, 0, 1}, warnings, error);
    ASSERT_TRUE(sender) << error;
    DisplayState state;
    state.brightness = 2;
    state.names.assign(128, "CAM");
    sender->displaysChanged(state, DisplayChange::all());
    EXPECT_EQ(displaysIn(receiver.take(50)).size(), 128u);
    // Nothing changes: the whole wall comes again within the period.
    pollfd p{receiver.fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1500), 1) << "no refresh within 1.5 s";
    EXPECT_EQ(displaysIn(receiver.take(50)).size(), 128u);
}

TEST(UmdSender, ANoReceiverIsOneWarningAndTheSessionGoesOn) {
    int port = 0;
    {
        Receiver gone;  // a port nobody listens on once it closes
        port = gone.port;
    }
    std::ostringstream warnings;
    std::string error;
    UmdSettings settings;
    settings.target = {"127.0.0.1", port};
    std::unique_ptr<UmdSender> sender = UmdSender::open(settings, warnings, error);
    ASSERT_TRUE(sender) << error;
    DisplayState state;
    state.names.assign(128, "CAM");
    for (int i = 0; i < 6; ++i) sender->displaysChanged(state, DisplayChange::all());
    EXPECT_GT(sender->failedSends(), 0u);
    const std::string said = warnings.str();
    EXPECT_NE(said.find("UMD output to 127.0.0.1:" + std::to_string(port) + " failed"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one warning: " << said;

    EXPECT_FALSE(UmdSender::open({{"no-such-host.invalid", 9}, 0, 2}, warnings, error));
    EXPECT_NE(error.find("UMD receiver no-such-host.invalid:9"), std::string::npos) << error;
}

}  // namespace
}  // namespace vrelhost
