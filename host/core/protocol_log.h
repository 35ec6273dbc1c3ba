// ProtocolLog: where the host reports what a script did against the protocol
// (a reply not handed back or handed back twice, a pointer the host never gave
// out, a malformed command, a kind the host does not take). Each report is one
// transcript line; the count decides the program's exit status. The transcript
// is the caller's and must outlive the log.
#pragma once

#include <cstddef>
#include <string>

#include "transcript.h"

namespace vrelhost {

class ProtocolLog {
public:
    explicit ProtocolLog(Transcript& transcript) : transcript_(transcript) {}

    void report(const std::string& message);
    std::size_t count() const { return count_; }

private:
    Transcript& transcript_;
    std::size_t count_ = 0;
};

}  // namespace vrelhost
