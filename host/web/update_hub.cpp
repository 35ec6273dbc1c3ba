#include "update_hub.h"

namespace vrelhost {

void UpdateHub::appendLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
    ++lineCount_;
    if (lines_.size() > keptLines) lines_.pop_front();
    // Streams wake on publish: the lines of one command go out together.
}

void UpdateHub::publish(std::string panels, std::string site) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (panels != panels_) {
            panels_ = std::move(panels);
            ++panelsVersion_;
        }
        if (site != site_) {
            site_ = std::move(site);
            ++siteVersion_;
        }
    }
    changed_.notify_all();
}

void UpdateHub::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

UpdateHub::News UpdateHub::take(Cursor& cursor) {
    News news;
    news.stopped = stopped_;
    const std::uint64_t first = lineCount_ - lines_.size();  // number of the oldest line kept
    if (cursor.lines < first) {
        news.linesDropped = cursor.lines > 0;
        cursor.lines = first;
    }
    for (std::uint64_t n = cursor.lines; n < lineCount_; ++n) news.lines.push_back(lines_[n - first]);
    cursor.lines = lineCount_;
    if (cursor.panels != panelsVersion_) {
        news.panels = panels_;
        cursor.panels = panelsVersion_;
    }
    if (cursor.site != siteVersion_) {
        news.site = site_;
        cursor.site = siteVersion_;
    }
    return news;
}

UpdateHub::News UpdateHub::wait(Cursor& cursor, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [&] {
        return stopped_ || cursor.panels != panelsVersion_ || cursor.site != siteVersion_ ||
               cursor.lines != lineCount_;
    });
    return take(cursor);
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
