// UpdateHub: what every connected browser is owed, held for the streams.
//
// The simulation's side starts it with the whole state document, then
// publishes each batch of changes to it (state_changes.h) and appends each
// log entry (a JSON object text). The batches are numbered from 1 (`seq`);
// the hub applies them to its own copy of the document, which GET /api/state
// and a stream's first event read, with the number of the last batch in it
// as its "seq". Every event stream takes what is new since it last looked:
// the whole document first, then the batches it has not sent, each as one
// text {"seq", "changes"}; a stream that fell so far behind that its batches
// are no longer kept gets the whole document again. The same holds for the
// log entries it has not sent (or the recent ones and a note). A stream may
// follow one operator position: it is sent that position's panel changes and
// log entries and those of no position, and an empty batch for each batch
// that held nothing for it, so the numbers still follow on. What a stream
// is owed is bounded however slowly it reads: it holds a cursor, not a
// queue, and the hub keeps a bounded number of batches. After each publish
// the listener is called (on the publishing thread, outside the hub's lock)
// so the streams can be woken. Thread-safe; owns copies of everything it holds.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "state_changes.h"

namespace vrelhost {

class UpdateHub {
public:
    static constexpr std::size_t keptLines = 4000;
    // Batches kept for streams that lag, in number and in bytes.
    static constexpr std::size_t keptBatches = 1000;
    static constexpr std::size_t keptBatchBytes = 4 * 1024 * 1024;

    // A log entry of `position` (0: of none).
    void appendLine(int position, const std::string& line);
    // The whole document before any change; wakes the streams.
    void start(nlohmann::json document);
    // One batch of changes, numbered; an empty one only wakes the streams (for
    // the lines). The streams are woken before the document takes it in.
    void publish(std::vector<Change> changes);
    // The whole document as it stands, with its "seq".
    std::string state() const;
    // Set before anything is published; called after each publish.
    void setListener(std::function<void()> listener);
    // No stream opens after this.
    void stop();

    // Where a stream stands: all zero for a new one.
    struct Cursor {
        int position = 0;  // the position followed; 0 for all
        std::uint64_t lines = 0;
        std::uint64_t seq = 0;
        bool started = false;  // the whole document was sent
    };
    struct News {
        std::vector<std::string> lines;
        bool linesDropped = false;         // older lines this stream never got
        std::string state;                 // the whole document, or empty
        std::vector<std::string> changes;  // the batches after it, as texts
        bool empty() const { return lines.empty() && state.empty() && changes.empty() && !linesDropped; }
    };
    // What the cursor has not seen, and the cursor moved past it.
    News take(Cursor& cursor);

    // Streams open now, for the limit on them and for tests.
    bool openStream(int limit);
    void closeStream();
    int streams() const;

private:
    std::string stateLocked() const;

    mutable std::mutex mutex_;
    std::function<void()> listener_;
    using Part = std::pair<int, std::string>;  // a position (or 0) and a text
    std::deque<Part> lines_;
    std::uint64_t lineCount_ = 0;  // lines ever appended
    nlohmann::json document_;
    std::uint64_t seq_ = 0;          // batches published
    std::uint64_t documentSeq_ = 0;  // batches in document_: seq_, or one less while it takes the last in
    std::deque<std::vector<Part>> batches_;  // changes as texts; the last batch is number seq_
    std::size_t batchBytes_ = 0;
    mutable std::string stateText_;  // document_ as text, when not empty
    bool stopped_ = false;
    int streams_ = 0;
};

}  // namespace vrelhost
