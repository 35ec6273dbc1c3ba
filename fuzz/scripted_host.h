// ScriptedHost: the fake panel host the panel fuzzer drives a script with.
//
// Its answers come from the fuzz input: every query (SD, XI, RN, TG) and every
// panel command (PI, PS, PR) takes the next choice from a reply script that
// repeats when it runs out, so one input can answer the 1,291 queries of the
// panel's start-up. Replies may be null, empty, 1,000 characters long, lack
// the "=" a property answer has, or hold any bytes at all.
//
// It checks the protocol on every call and aborts on the first breach:
//  - a command text is non-null and begins with a two-letter code, followed by
//    a blank or the end of the text;
//  - nothing at all is sent after "AS";
//  - only kinds 0 and 5 come from the script;
//  - a kind 5 hands back a reply this host gave and has not yet got back (null
//    is allowed: a script may hand back the null it was given).
// Each reply is a buffer of exactly its size (text plus NUL) that this host
// owns until the script hands it back; `expectRepliesHandedBack` checks that
// none is still out. Single-threaded, like a real host.
#pragma once

#include <cstddef>
#include <unordered_set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "runtime/boundary/vrel_client_callback.h"

class ScriptedHost : public vrel_client_callback {
public:
    explicit ScriptedHost(std::string replyScript) : script_(std::move(replyScript)) {}
    ~ScriptedHost() override;
    ScriptedHost(const ScriptedHost&) = delete;
    ScriptedHost& operator=(const ScriptedHost&) = delete;

    void* notify(void* data, int kind) override;

    // Aborts when a reply given out has not come back.
    void expectRepliesHandedBack() const;
    bool closed() const { return closed_; }
    // Device numbers this host has answered SD queries with, so that the
    // fuzzer can send records the panel will act on.
    const std::vector<int>& reportedDevices() const { return devices_; }

private:
    void checkCommand(const char* text);
    void* answerQuery(const std::string& command);
    void* panelStatus();
    std::uint8_t nextByte();
    std::string nextText();

    std::string script_;
    std::size_t cursor_ = 0;
    std::unordered_set<void*> outstanding_;
    std::vector<int> devices_;
    bool closed_ = false;
};
