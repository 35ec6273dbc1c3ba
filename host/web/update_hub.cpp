#include "update_hub.h"

#include "view_model.h"

namespace vrelhost {

namespace {

bool follows(int followed, int position) { return followed == 0 || position == 0 || position == followed; }

}  // namespace

void UpdateHub::appendLine(int position, const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.emplace_back(position, line);
    ++lineCount_;
    if (lines_.size() > keptLines) lines_.pop_front();
    // Streams wake on publish: the lines of one command go out together.
}

void UpdateHub::start(nlohmann::json document) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        document_ = std::move(document);
        stateText_.clear();
    }
    if (listener_) listener_();
}

void UpdateHub::publish(std::vector<Change> changes) {
    if (!changes.empty()) {
        std::vector<Part> batch;
        std::size_t bytes = 0;
        for (const Change& c : changes) {
            batch.emplace_back(c.position, "{\"path\":" + toText(c.path) + ",\"value\":" + toText(c.value) + "}");
            bytes += batch.back().second.size();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ++seq_;
        batchBytes_ += bytes;
        batches_.push_back(std::move(batch));
        while (batches_.size() > keptBatches || (batches_.size() > 1 && batchBytes_ > keptBatchBytes)) {
            for (const Part& part : batches_.front()) batchBytes_ -= part.second.size();
            batches_.pop_front();
        }
    }
    // The streams are woken first; the document a page loads is brought up to date after.
    if (listener_) listener_();
    if (changes.empty()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Change& c : changes) applyChange(document_, c.path, c.value);
    ++documentSeq_;
    stateText_.clear();
}

std::string UpdateHub::stateLocked() const {
    // Drawn as text only when asked for (a page loads, a stream starts), once per batch.
    if (stateText_.empty()) {
        const std::string text = toText(document_);  // an object, never empty
        stateText_ = "{\"seq\":" + std::to_string(documentSeq_) + (text.size() > 2 ? "," : "") + text.substr(1);
    }
    return stateText_;
}

std::string UpdateHub::state() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stateLocked();
}

void UpdateHub::setListener(std::function<void()> listener) { listener_ = std::move(listener); }

void UpdateHub::stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
}

UpdateHub::News UpdateHub::take(Cursor& cursor) {
    std::lock_guard<std::mutex> lock(mutex_);
    News news;
    const std::uint64_t first = lineCount_ - lines_.size();  // number of the oldest line kept
    if (cursor.lines < first) {
        news.linesDropped = cursor.lines > 0;
        cursor.lines = first;
    }
    for (std::uint64_t n = cursor.lines; n < lineCount_; ++n)
        if (follows(cursor.position, lines_[n - first].first)) news.lines.push_back(lines_[n - first].second);
    cursor.lines = lineCount_;
    const std::uint64_t firstBatch = seq_ - batches_.size() + 1;  // number of the oldest batch kept
    if (!cursor.started || cursor.seq + 1 < firstBatch) {
        // The document, then the batches not yet in it.
        news.state = stateLocked();
        cursor.started = true;
        cursor.seq = documentSeq_;
    }
    for (std::uint64_t n = cursor.seq + 1; n <= seq_; ++n) {
        std::string text = "{\"seq\":" + std::to_string(n) + ",\"changes\":[";
        bool any = false;
        for (const Part& part : batches_[n - firstBatch])
            if (follows(cursor.position, part.first)) {
                text += (any ? "," : "") + part.second;
                any = true;
            }
        news.changes.push_back(text + "]}");
    }
    cursor.seq = seq_;
    return news;
}

bool UpdateHub::openStream(int limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_ || streams_ >= limit) return false;
    ++streams_;
    return true;
}

void UpdateHub::closeStream() {
    std::lock_guard<std::mutex> lock(mutex_);
    --streams_;
}

int UpdateHub::streams() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return streams_;
}

}  // namespace vrelhost
