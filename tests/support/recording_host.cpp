#include "recording_host.h"

std::vector<std::string> RecordingHost::commandsSince(std::size_t mark) const {
    if (mark >= commands_.size()) return {};
    return std::vector<std::string>(commands_.begin() + static_cast<std::ptrdiff_t>(mark), commands_.end());
}

std::optional<std::string> RecordingHost::answerFor(const std::string& command) const {
    auto exact = exact_.find(command);
    if (exact != exact_.end()) return exact->second;
    const std::string* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& [prefix, answer] : prefixes_) {
        if (command.compare(0, prefix.size(), prefix) == 0 && prefix.size() >= bestLength) {
            best = &answer;
            bestLength = prefix.size();
        }
    }
    if (best) return *best;
    if (responder_) return responder_(command);
    return std::nullopt;
}

void RecordingHost::received(const std::string& text) {
    commands_.push_back(text);
    transcript_.push_back(text);
}

vrelhost::ProtocolHost::Answer RecordingHost::carryOut(const vrelhost::HostCommand& command,
                                                       const std::string& text) {
    switch (vrelhost::replyOf(command.code)) {
    case vrelhost::ReplyKind::status: return refusePanels_ ? Answer::none() : Answer::status();
    case vrelhost::ReplyKind::none: return answerAll_ ? Answer::status() : Answer::none();
    case vrelhost::ReplyKind::query: break;
    }
    return Answer::reply(answerFor(text));
}

void RecordingHost::handedBack(vrelhost::ReplyLedger::HandBack result, const std::string& origin) {
    using HandBack = vrelhost::ReplyLedger::HandBack;
    if (result == HandBack::freed) {
        transcript_.push_back("<release> " + origin);
    } else if (result == HandBack::null) {
        ++nullHandBacks_;
        transcript_.push_back("<release null>");
    } else {
        ++badHandBacks_;
        transcript_.push_back("<release unknown>");
    }
}
