// ProtocolHost: the host's rules of the protocol, once, for every host here.
// A host is a reply policy derived from it.
//
// The script calls notify() with kind 0 to send a command text and with kind
// 5 to hand back a reply; any other kind is a breach. For every command this
// class checks, and reports to the sink:
//  - the text is not null and nothing follows "AS";
//  - the text fits the command grammar: an unknown code is always a breach;
//    fields that do not fit their code's form are one unless the host was made
//    `lenient` (a host whose replies are deliberately implausible, which the
//    script pastes into its commands); a command that does not fit is not
//    carried out;
//  - a free text field holding an apostrophe is a warning (see command_grammar.h).
// Then the policy carries the command out and says what to answer: a query
// (SD, XI, RN, TG) gets a buffer from the reply ledger, which the script must
// hand back with kind 5 before the call that produced it returns (afterCall);
// a panel-file command (PI, PS, PR) a static status, never to be handed back;
// everything else null. Kind 5 frees a reply once; twice, or a pointer never
// given out (the panel status included), is a breach; null is harmless.
//
// No exception ever leaves notify(): whatever the policy throws, the command
// is refused (answered null, nothing kept) and the sink hears of it
// (ProtocolSink::refused), naming what was caught.
//
// The sink is the caller's and must outlive the host. One thread.
#pragma once

#include <optional>
#include <string>

#include "host/protocol/command_grammar.h"
#include "host/protocol/protocol_sink.h"
#include "host/protocol/reply_ledger.h"
#include "runtime/boundary/vrel_client_callback.h"

namespace vrelhost {

class ProtocolHost : public vrel_client_callback {
public:
    enum class Fields { checked, lenient };

    explicit ProtocolHost(ProtocolSink& sink, Fields fields = Fields::checked) : sink_(sink), fields_(fields) {}
    ProtocolHost(const ProtocolHost&) = delete;
    ProtocolHost& operator=(const ProtocolHost&) = delete;

    void* VREL_CALLBACK notify(void* data, int kind) final;

    // Once a call into the script has returned: every reply it still holds is
    // a breach, reported once.
    void afterCall();
    // Once the script is destroyed: replies never handed back, a missing AS.
    void afterDestroy();

    bool closed() const { return closed_; }
    ReplyLedger& ledger() { return ledger_; }
    ProtocolSink& sink() { return sink_; }

protected:
    // What the policy answers a command with. Queries take a reply (or
    // nothing: null); any other code may take the status (PI, PS and PR do
    // when they succeed) or nothing.
    struct Answer {
        enum class Kind { none, status, reply } kind = Kind::none;
        std::string text;
        static Answer none() { return {}; }
        static Answer status() { return {Kind::status, {}}; }
        static Answer reply(std::optional<std::string> text) {
            return text ? Answer{Kind::reply, std::move(*text)} : Answer{};
        }
    };

    // Every non-null command text as it arrives, before any check.
    virtual void received(const std::string& /*text*/) {}
    // Carries out a command that passed the rules. `command` holds only its
    // code when the host is lenient and the fields did not fit.
    virtual Answer carryOut(const HostCommand& command, const std::string& text) = 0;
    // A kind 5, as the ledger judged it; `origin` is the command a freed
    // reply answered.
    virtual void handedBack(ReplyLedger::HandBack /*result*/, const std::string& /*origin*/) {}

private:
    void* command(const char* text);
    void handBack(void* pointer);
    void refuse(const char* what) noexcept;

    ProtocolSink& sink_;
    Fields fields_;
    ReplyLedger ledger_;
    bool closed_ = false;
    const char* current_ = nullptr;  // the command being handled, for a refusal
};

}  // namespace vrelhost
