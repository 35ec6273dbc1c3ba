// UpdateHub: what every connected browser is owed, held for the streams.
//
// The simulation's side publishes the state document after each change and
// appends each log entry (a JSON object text); every event stream takes what
// is new since it last looked: the entries it has not sent (or, when it fell
// too far behind, the recent ones and a note) and the state when it changed.
// GET /api/state reads the same state. What a stream is owed is bounded however
// slowly it reads: it holds a cursor, not a queue. After each publish the
// listener is called (on the publishing thread, outside the hub's lock) so
// the streams can be woken. Thread-safe; owns copies of everything it holds.
#pragma once

#include <cstdint>
#include <functional>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace vrelhost {

class UpdateHub {
public:
    static constexpr std::size_t keptLines = 4000;

    void appendLine(const std::string& line);
    // Publishes a new state document; it only counts when it differs.
    void publish(std::string state);
    // The state last published.
    std::string state() const;
    // Set before anything is published; called after each publish.
    void setListener(std::function<void()> listener);
    // No stream opens after this.
    void stop();

    // Where a stream stands: all zero for a new one.
    struct Cursor {
        std::uint64_t lines = 0;
        std::uint64_t state = 0;
    };
    struct News {
        std::vector<std::string> lines;
        bool linesDropped = false;  // older lines this stream never got
        std::string state;          // empty when unchanged
        bool empty() const { return lines.empty() && state.empty() && !linesDropped; }
    };
    // What the cursor has not seen, and the cursor moved past it.
    News take(Cursor& cursor);

    // Streams open now, for the limit on them and for tests.
    bool openStream(int limit);
    void closeStream();
    int streams() const;

private:
    mutable std::mutex mutex_;
    std::function<void()> listener_;
    std::deque<std::string> lines_;
    std::uint64_t lineCount_ = 0;  // lines ever appended
    std::string state_;
    std::uint64_t stateVersion_ = 0;
    bool stopped_ = false;
    int streams_ = 0;
};

}  // namespace vrelhost
