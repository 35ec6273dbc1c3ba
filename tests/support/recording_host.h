// RecordingHost: a fake panel host for tests.
//
// Keeps every command text a script sends, in order. Answers queries (SD, XI,
// RN, TG) from a script of replies; each reply is a fresh buffer the host owns
// and tracks until the script hands it back with kind 5. Panel commands (PI, PS,
// PR) get a status that is only tested, never handed back. Counts every
// hand-back that is wrong: twice, a pointer never given out, or a null.
// The transcript interleaves the commands with the hand-backs, so a test can
// see when each reply came back.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/boundary/vrel_client_callback.h"

class RecordingHost : public vrel_client_callback {
public:
    using Responder = std::function<std::optional<std::string>(const std::string& command)>;

    ~RecordingHost() override;

    void* notify(void* data, int kind) override;

    // Replies, tried in this order: an exact command text, then the longest
    // matching prefix, then the responder. No match: a null reply.
    void reply(const std::string& command, const std::string& answer) { exact_[command] = answer; }
    void replyPrefix(const std::string& prefix, const std::string& answer) { prefixes_[prefix] = answer; }
    void respondWith(Responder responder) { responder_ = std::move(responder); }
    // PI, PS and PR answer a non-null status unless refused.
    void refusePanelCommands(bool refuse) { refusePanels_ = refuse; }
    // Every other command answers a non-null status too (still never to be
    // handed back), to prove the script ignores what it does not read.
    void answerEveryCommand(bool answer) { answerAll_ = answer; }

    const std::vector<std::string>& commands() const { return commands_; }
    // The commands sent since the given count (for example commands().size() before an action).
    std::vector<std::string> commandsSince(std::size_t mark) const;
    void clearCommands() { commands_.clear(); }

    // The commands and, in between, one entry per kind 5: "<release> " and the
    // command whose reply came back, "<release null>" or "<release unknown>".
    const std::vector<std::string>& transcript() const { return transcript_; }

    std::size_t repliesGiven() const { return given_; }
    std::size_t repliesOutstanding() const { return outstanding_.size(); }
    std::size_t nullHandBacks() const { return nullHandBacks_; }
    // Hand-backs of a pointer that was never given out or was already returned.
    std::size_t badHandBacks() const { return badHandBacks_; }
    // Notifications of a kind other than 0 and 5.
    std::size_t strayKinds() const { return strayKinds_; }

private:
    std::optional<std::string> answerFor(const std::string& command) const;

    std::vector<std::string> commands_;
    std::map<std::string, std::string> exact_;
    std::map<std::string, std::string> prefixes_;
    Responder responder_;
    bool refusePanels_ = false;
    bool answerAll_ = false;
    std::vector<std::string> transcript_;
    std::map<void*, std::string> outstanding_;  // reply buffer -> the command it answered
    std::size_t given_ = 0;
    std::size_t nullHandBacks_ = 0;
    std::size_t badHandBacks_ = 0;
    std::size_t strayKinds_ = 0;
};
