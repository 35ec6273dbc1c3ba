#include "host/protocol/reply_ledger.h"

#include <algorithm>
#include <cstring>

namespace vrelhost {

char* ReplyLedger::give(const std::string& text, const std::string& origin) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    char* pointer = buffer.get();
    outstanding_[pointer] = Reply{std::move(buffer), origin, false};
    ++given_;
    return pointer;
}

ReplyLedger::HandBack ReplyLedger::handBack(const void* pointer, std::string* origin) {
    if (!pointer) return HandBack::null;
    auto it = outstanding_.find(pointer);
    if (it != outstanding_.end()) {
        if (origin) *origin = std::move(it->second.origin);
        quarantine_.push_back(std::move(it->second.buffer));
        outstanding_.erase(it);
        if (quarantine_.size() > quarantineSize) quarantine_.pop_front();
        return HandBack::freed;
    }
    const bool seen = std::any_of(quarantine_.begin(), quarantine_.end(),
                                  [pointer](const std::unique_ptr<char[]>& b) { return b.get() == pointer; });
    return seen ? HandBack::twice : HandBack::unknown;
}

std::vector<std::string> ReplyLedger::takeOverdue() {
    std::vector<std::string> overdue;
    for (auto& [pointer, reply] : outstanding_) {
        if (reply.reported) continue;
        reply.reported = true;
        overdue.push_back(reply.origin);
    }
    return overdue;
}

}  // namespace vrelhost
