// CaseReport: what one validator case found. Collects failure messages (the
// first few; a storm can break the same rule thousands of times) and counts
// them all. Lives in the child process that runs the case. One thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace validator {

class CaseReport {
public:
    void fail(const std::string& message) {
        if (messages_.size() < keep) messages_.push_back(message);
        ++failures_;
    }
    bool failed() const { return failures_ > 0; }
    std::size_t failures() const { return failures_; }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    static constexpr std::size_t keep = 12;
    std::vector<std::string> messages_;
    std::size_t failures_ = 0;
};

}  // namespace validator
