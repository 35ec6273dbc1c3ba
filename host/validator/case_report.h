// CaseReport: what one validator case found. Collects the distinct failure
// messages (the first few; a storm can break the same rule thousands of times),
// each with how often it came, and counts them all. Lives in the child process
// that runs the case. One thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace validator {

class CaseReport {
public:
    void fail(const std::string& message) {
        ++failures_;
        for (Entry& entry : entries_) {
            if (entry.message == message) {
                ++entry.count;
                return;
            }
        }
        if (entries_.size() < keep) entries_.push_back({message, 1});
        else ++unlisted_;
    }
    bool failed() const { return failures_ > 0; }

    // One line per distinct message, "(N times)" when it came more than once.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const Entry& entry : entries_)
            out.push_back(entry.count == 1 ? entry.message
                                           : entry.message + " (" + std::to_string(entry.count) + " times)");
        if (unlisted_ > 0) out.push_back("... and " + std::to_string(unlisted_) + " more");
        return out;
    }

private:
    struct Entry {
        std::string message;
        std::size_t count;
    };
    static constexpr std::size_t keep = 12;
    std::vector<Entry> entries_;
    std::size_t failures_ = 0;
    std::size_t unlisted_ = 0;
};

}  // namespace validator
