// ProtocolLog: the simulator's protocol sink. A breach of the protocol (a
// reply not handed back or handed back twice, a pointer the host never gave
// out, a malformed command, a kind the host does not take) is one `!!` line
// in the transcript, and the count decides the program's exit status; a
// warning (a command the host refused because it failed itself, an ambiguous
// command text) is one `!` line; a refused one is also counted, since the
// session then no longer shows what a real host would do. The transcript is
// the caller's and must outlive the log.
#pragma once

#include <cstddef>
#include <string>

#include "host/protocol/protocol_sink.h"
#include "transcript.h"

namespace vrelhost {

class ProtocolLog : public ProtocolSink {
public:
    explicit ProtocolLog(Transcript& transcript) : transcript_(transcript) {}

    void report(const std::string& message) { breach(message); }
    void breach(const std::string& message) override;
    void warning(const std::string& message) override;
    void refused(const std::string& message) override;
    std::size_t count() const { return count_; }
    // Commands the host failed on itself and refused.
    std::size_t refusals() const { return refusals_; }

private:
    Transcript& transcript_;
    std::size_t count_ = 0;
    std::size_t refusals_ = 0;
};

}  // namespace vrelhost
