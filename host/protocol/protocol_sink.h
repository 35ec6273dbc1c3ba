// ProtocolSink: where the host's side of the protocol reports what it sees.
//
// A breach is a rule the script broke (a reply handed back twice, a command
// after AS, a malformed text...): hosts count them and fail on them. A warning
// is not the script's fault but deserves an integrator's eye: a command the
// host refused because the host itself failed on it, or a command a real host
// may split otherwise. The simulator writes both into its transcript (`!!` and
// `!` lines), the validator into the case's report, the test and fuzz hosts
// keep or abort on them. Messages are one line each. Called on the host's
// thread, from inside notify(); an implementation may throw only what the
// caller of notify() catches (the kit never lets one reach the script).
#pragma once

#include <string>

namespace vrelhost {

class ProtocolSink {
public:
    virtual ~ProtocolSink() = default;
    virtual void breach(const std::string& message) = 0;
    virtual void warning(const std::string& message) = 0;
    // The host failed on a command itself and refused it (answered null). Not
    // the script's fault, so a warning; but the run no longer shows what a
    // real host would have done, which a sink may want to count.
    virtual void refused(const std::string& message) { warning(message); }
};

// A text for a message: `text` itself, or its first `most` bytes and "...".
std::string clipped(const std::string& text, std::size_t most = 120);

}  // namespace vrelhost
