// ReplyLedger: the host's account of the reply buffers it gives a script.
//
// Every reply to a query (SD, XI, RN, TG) is a fresh buffer that belongs to
// the host; the script copies it and hands the same pointer back with kind 5,
// and only then is it freed. The ledger allocates the buffers, frees them on
// hand-back and tells a correct hand-back from a wrong one: twice, a pointer
// never given out, or a reply still held when the call that produced it ended.
//
// Freed buffers are kept for a while (not returned to the allocator), so that
// a second hand-back is recognised even after new replies were given out. The
// ledger frees everything it still holds when it is destroyed. One thread.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vrelhost {

class ReplyLedger {
public:
    enum class HandBack { freed, null, twice, unknown };

    ReplyLedger() = default;
    ReplyLedger(const ReplyLedger&) = delete;
    ReplyLedger& operator=(const ReplyLedger&) = delete;

    // A new NUL-terminated copy of `text`, owned by the host until handed back.
    // `origin` (the command that asked) names the reply in reports.
    char* give(const std::string& text, const std::string& origin);
    // `origin`, when given, receives the command a freed reply answered.
    HandBack handBack(const void* pointer, std::string* origin = nullptr);

    // The commands whose replies are held past the end of the current call and
    // were not reported before. Each overdue reply is reported once; it stays
    // the host's and may still be handed back.
    std::vector<std::string> takeOverdue();

    std::size_t outstanding() const { return outstanding_.size(); }
    std::size_t given() const { return given_; }

private:
    struct Reply {
        std::unique_ptr<char[]> buffer;
        std::string origin;
        bool reported = false;
    };
    static constexpr std::size_t quarantineSize = 4096;

    std::map<const void*, Reply> outstanding_;
    std::deque<std::unique_ptr<char[]>> quarantine_;  // handed back, kept to catch a second hand-back
    std::size_t given_ = 0;
};

}  // namespace vrelhost
