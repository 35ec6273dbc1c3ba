// RecordingHost: the tests' reply policy on top of the host's rules
// (host/protocol/protocol_host.h), and its own protocol sink.
//
// Keeps every command text a script sends, in order. Answers queries (SD, XI,
// RN, TG) from a script of replies; each reply is a buffer from the kit's
// ledger that the script must hand back with kind 5. Panel commands (PI, PS,
// PR) get the status, which is only tested, never handed back. Fields are not
// held to their forms (a test may paste any reply into a command); what the
// rules find is kept in breaches() and warnings(). The transcript interleaves
// the commands with the hand-backs, so a test can see when each reply came back.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/protocol/protocol_host.h"

class RecordingHost : public vrelhost::ProtocolHost, private vrelhost::ProtocolSink {
public:
    using Responder = std::function<std::optional<std::string>(const std::string& command)>;

    RecordingHost() : ProtocolHost(static_cast<ProtocolSink&>(*this), Fields::lenient) {}

    // Replies, tried in this order: an exact command text, then the longest
    // matching prefix, then the responder (which may throw, to test that no
    // exception reaches the script). No match: a null reply.
    void reply(const std::string& command, const std::string& answer) { exact_[command] = answer; }
    void replyPrefix(const std::string& prefix, const std::string& answer) { prefixes_[prefix] = answer; }
    void respondWith(Responder responder) { responder_ = std::move(responder); }
    // PI, PS and PR answer a non-null status unless refused.
    void refusePanelCommands(bool refuse) { refusePanels_ = refuse; }
    // Every other command answers the status too (still never to be handed
    // back), to prove the script ignores what it does not read.
    void answerEveryCommand(bool answer) { answerAll_ = answer; }

    const std::vector<std::string>& commands() const { return commands_; }
    // The commands sent since the given count (for example commands().size() before an action).
    std::vector<std::string> commandsSince(std::size_t mark) const;
    void clearCommands() { commands_.clear(); }

    // The commands and, in between, one entry per kind 5: "<release> " and the
    // command whose reply came back, "<release null>" or "<release unknown>".
    const std::vector<std::string>& transcript() const { return transcript_; }

    std::size_t repliesGiven() { return ledger().given(); }
    std::size_t repliesOutstanding() { return ledger().outstanding(); }
    std::size_t nullHandBacks() const { return nullHandBacks_; }
    // Hand-backs of a pointer that was never given out or was already returned.
    std::size_t badHandBacks() const { return badHandBacks_; }
    // What the host's rules reported: breaches of the protocol, and warnings.
    const std::vector<std::string>& breaches() const { return breaches_; }
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    void received(const std::string& text) override;
    Answer carryOut(const vrelhost::HostCommand& command, const std::string& text) override;
    void handedBack(vrelhost::ReplyLedger::HandBack result, const std::string& origin) override;
    void breach(const std::string& message) override { breaches_.push_back(message); }
    void warning(const std::string& message) override { warnings_.push_back(message); }
    std::optional<std::string> answerFor(const std::string& command) const;

    std::vector<std::string> commands_;
    std::map<std::string, std::string> exact_;
    std::map<std::string, std::string> prefixes_;
    Responder responder_;
    bool refusePanels_ = false;
    bool answerAll_ = false;
    std::vector<std::string> transcript_;
    std::size_t nullHandBacks_ = 0;
    std::size_t badHandBacks_ = 0;
    std::vector<std::string> breaches_;
    std::vector<std::string> warnings_;
};
