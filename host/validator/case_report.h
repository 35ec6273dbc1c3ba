// CaseReport: what one validator case found, and the protocol sink of its
// hosts. Collects the distinct failure messages (the first few; a storm can
// break the same rule thousands of times), each with how often it came, and
// counts them all. Warnings (a command a real host may split otherwise, a
// command the host refused because it failed itself) are kept the same way,
// fewer of them, and never fail the case. Lives in the child process that runs
// the case. One thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/protocol/protocol_sink.h"

namespace validator {

class CaseReport : public vrelhost::ProtocolSink {
public:
    void fail(const std::string& message) {
        ++failures_;
        failures.add(message);
    }
    void breach(const std::string& message) override { fail(message); }
    void warning(const std::string& message) override { warnings.add(message); }
    bool failed() const { return failures_ > 0; }

    // One line per distinct message, "(N times)" when it came more than once.
    std::vector<std::string> lines() const { return failures.lines(); }
    std::vector<std::string> warningLines() const { return warnings.lines(); }

private:
    class Messages {
    public:
        explicit Messages(std::size_t keep) : keep_(keep) {}
        void add(const std::string& message) {
            for (Entry& entry : entries_) {
                if (entry.message == message) {
                    ++entry.count;
                    return;
                }
            }
            if (entries_.size() < keep_) entries_.push_back({message, 1});
            else ++unlisted_;
        }
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
        std::size_t keep_;
        std::vector<Entry> entries_;
        std::size_t unlisted_ = 0;
    };

    Messages failures{12};
    Messages warnings{3};
    std::size_t failures_ = 0;
};

}  // namespace validator
