// ScriptedHost: the panel fuzzer's reply policy on top of the host's rules
// (host/protocol/protocol_host.h).
//
// Its answers come from the fuzz input: every query (SD, XI, RN, TG) and every
// panel command (PI, PS, PR) takes the next choice from a reply script that
// repeats when it runs out, so one input can answer the 1,291 queries of the
// panel's start-up. Replies may be null, empty, 1,000 characters long, lack
// the "=" a property answer has, or hold any bytes at all; since the script
// pastes them into its commands, fields are not held to their forms.
//
// Every rule the host checks (a known code, nothing after "AS", only kinds 0
// and 5, each reply handed back once and before the call returns) aborts the
// run on its first breach, through FuzzAbortSink. Warnings are ignored: the
// replies make ambiguous texts on purpose. Single-threaded, like a real host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/protocol/protocol_host.h"

// Aborts the run on the first breach, naming it.
class FuzzAbortSink : public vrelhost::ProtocolSink {
public:
    void breach(const std::string& message) override;
    void warning(const std::string&) override {}
};

class ScriptedHost : public vrelhost::ProtocolHost {
public:
    ScriptedHost(FuzzAbortSink& sink, std::string replyScript)
        : ProtocolHost(sink, Fields::lenient), script_(std::move(replyScript)) {}

    // Device numbers this host has answered SD queries with, so that the
    // fuzzer can send records the panel will act on.
    const std::vector<int>& reportedDevices() const { return devices_; }

private:
    Answer carryOut(const vrelhost::HostCommand& command, const std::string& text) override;
    // `lookup`: the query is a device lookup (SD), whose reply is a device number.
    Answer answerQuery(const std::string& command, bool lookup);
    std::uint8_t nextByte();
    std::string nextText();

    std::string script_;
    std::size_t cursor_ = 0;
    std::vector<int> devices_;
};
