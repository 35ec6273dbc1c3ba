#include "scripted_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void FuzzAbortSink::breach(const std::string& message) {
    std::fprintf(stderr, "protocol breach: %s\n", message.c_str());
    std::abort();
}

std::uint8_t ScriptedHost::nextByte() {
    if (script_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(script_[cursor_]);
    cursor_ = (cursor_ + 1) % script_.size();
    return b;
}

std::string ScriptedHost::nextText() {
    std::string text;
    const std::uint8_t length = nextByte();
    if (length == 255) return std::string(1000, 'x');
    for (std::uint8_t i = 0; i < length && !script_.empty(); ++i) text += static_cast<char>(nextByte());
    return text;
}

vrelhost::ProtocolHost::Answer ScriptedHost::carryOut(const vrelhost::HostCommand& command,
                                                      const std::string& text) {
    switch (vrelhost::replyOf(command.code)) {
    case vrelhost::ReplyKind::status: return nextByte() % 4 == 0 ? Answer::none() : Answer::status();
    case vrelhost::ReplyKind::query: return answerQuery(text, command.code == vrelhost::CommandCode::SD);
    case vrelhost::ReplyKind::none: break;
    }
    return Answer::none();
}

vrelhost::ProtocolHost::Answer ScriptedHost::answerQuery(const std::string& command, bool lookup) {
    if (script_.empty()) return Answer::none();
    std::string reply;
    switch (nextByte() % 8) {
    case 0: return Answer::none();
    case 1: break;  // empty
    case 2: reply.assign(1000, 'y'); break;
    case 3: reply = nextText(); reply.erase(std::remove(reply.begin(), reply.end(), '='), reply.end()); break;
    case 4: reply = vrelhost::askedProperty(command) + "=" + nextText(); break;
    case 5: reply = vrelhost::askedProperty(command) + "=" + std::string(1000, 'z'); break;
    case 6: {
        const int device = static_cast<int>(nextByte()) - 8;  // a few negatives too
        reply = std::to_string(device);
        if (nextByte() % 2) reply += " " + std::to_string(nextByte());
        break;
    }
    default: reply = nextText(); break;
    }
    if (lookup) devices_.push_back(std::atoi(reply.c_str()));
    // The reply ends at its first NUL, like any C text.
    reply.resize(std::strlen(reply.c_str()));
    return Answer::reply(reply);
}
