#include "host/protocol/protocol_host.h"

#include <exception>
#include <new>

namespace vrelhost {
namespace {

// PI, PS and PR answer this on success: a status only ever tested for null,
// never a reply, so never to be handed back.
char panelStatus[] = "ok";

std::string quoted(const std::string& text) { return "\"" + clipped(text) + "\""; }

}  // namespace

std::string clipped(const std::string& text, std::size_t most) {
    return text.size() > most ? text.substr(0, most) + "..." : text;
}

void* VREL_CALLBACK ProtocolHost::notify(void* data, int kind) {
    // A host never throws into a script: whatever fails here refuses this one
    // call and is said, and the script goes on.
    try {
        if (kind == vrel_kind::command) return command(static_cast<const char*>(data));
        if (kind == vrel_kind::release) {
            handBack(data);
            return nullptr;
        }
        sink_.breach("the script called the host with kind " + std::to_string(kind) +
                     "; the host takes only commands (0) and hand-backs (5)");
    } catch (const std::bad_alloc&) {
        refuse("out of memory");
    } catch (const std::exception& e) {
        refuse(e.what());
    } catch (...) {
        refuse("an exception that is not a std::exception");
    }
    current_ = nullptr;
    return nullptr;
}

void ProtocolHost::refuse(const char* what) noexcept {
    try {
        const std::string call = current_ ? quoted(current_) : std::string("a hand-back");
        sink_.refused("refused: the host failed on " + call + ": " + what);
    } catch (...) {
        // Not even the warning could be made; the refusal itself still stands.
    }
    current_ = nullptr;
}

void* ProtocolHost::command(const char* text) {
    if (!text) {
        sink_.breach("a command with a null text");
        return nullptr;
    }
    current_ = text;
    const std::string line = text;
    received(line);
    if (closed_) {
        sink_.breach("command after the closing AS: " + clipped(line));
        current_ = nullptr;
        return nullptr;
    }
    std::string error;
    GrammarError problem = GrammarError::none;
    std::optional<HostCommand> parsed = parseHostCommand(line, error, &problem);
    const bool closing = line.compare(0, 2, "AS") == 0;
    if (!parsed) {
        // AS is checked whatever the host's leniency: it is the script's last word.
        if (problem == GrammarError::unknownCode || fields_ == Fields::checked || closing) {
            sink_.breach("malformed command (" + error + "): " + clipped(line));
            if (closing) closed_ = true;
            current_ = nullptr;
            return nullptr;
        }
        parsed = HostCommand{*commandCodeOf(text), std::monostate{}, false};
    }
    if (parsed->ambiguous)
        sink_.warning("ambiguous command: its text field holds an apostrophe, so a host may split it otherwise: " +
                      clipped(line));
    if (closing) closed_ = true;
    const Answer answer = carryOut(*parsed, line);
    current_ = nullptr;
    switch (answer.kind) {
    case Answer::Kind::none:
        return nullptr;
    case Answer::Kind::status:
        return panelStatus;
    case Answer::Kind::reply:
        return ledger_.give(answer.text, line);
    }
    return nullptr;
}

void ProtocolHost::handBack(void* pointer) {
    std::string origin;
    const ReplyLedger::HandBack result = ledger_.handBack(pointer, &origin);
    if (result == ReplyLedger::HandBack::twice) sink_.breach("a reply was handed back twice");
    if (result == ReplyLedger::HandBack::unknown)
        sink_.breach("the script handed back a pointer the host never gave out as a reply");
    handedBack(result, origin);
}

void ProtocolHost::afterCall() {
    for (const std::string& origin : ledger_.takeOverdue())
        sink_.breach("the reply to " + quoted(origin) + " was not handed back before the call returned");
}

void ProtocolHost::afterDestroy() {
    for (const std::string& origin : ledger_.takeOverdue())
        sink_.breach("the reply to " + quoted(origin) + " was never handed back");
    if (!closed_) sink_.breach("the script was destroyed without sending AS");
}

}  // namespace vrelhost
