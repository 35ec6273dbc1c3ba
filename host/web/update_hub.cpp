#include "update_hub.h"

namespace vrelhost {

void UpdateHub::appendLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
    ++lineCount_;
    if (lines_.size() > keptLines) lines_.pop_front();
    // Streams wake on publish: the lines of one command go out together.
}

void UpdateHub::publish(std::string state) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (state != state_) {
            state_ = std::move(state);
            ++stateVersion_;
        }
    }
    if (listener_) listener_();
}

std::string UpdateHub::state() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
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
    for (std::uint64_t n = cursor.lines; n < lineCount_; ++n) news.lines.push_back(lines_[n - first]);
    cursor.lines = lineCount_;
    if (cursor.state != stateVersion_) {
        news.state = state_;
        cursor.state = stateVersion_;
    }
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
