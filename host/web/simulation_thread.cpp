#include "simulation_thread.h"

#include "view_model.h"

namespace vrelhost {

using Clock = std::chrono::steady_clock;

SimulationThread::SimulationThread(ViewSource& source, UpdateHub& hub)
    : source_(source), hub_(hub), clock_(source, Clock::now()), actions_(source, clock_), tracker_(source) {
    source_.onTranscriptLine([this](const std::string& line) {
        const nlohmann::json entry = logEntry(line);
        hub_.appendLine(entry["position"].get<int>(), toText(entry));
    });
    hub_.start(tracker_.start(clock_.json()));
    thread_ = std::thread(&SimulationThread::loop, this);
}

SimulationThread::~SimulationThread() {
    stop();
    thread_.join();
    source_.onTranscriptLine(nullptr);
}

void SimulationThread::post(Job job, Then then) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        jobs_.emplace_back(std::move(job), std::move(then));
    }
    wake_.notify_one();
}

void SimulationThread::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_one();
}

void SimulationThread::publish() {
    hub_.publish(tracker_.changes(clock_.json()));
}

void SimulationThread::loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (!jobs_.empty()) {
            auto [job, then] = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            ActionReply reply = job(actions_);
            publish();
            then(std::move(reply));
            job = nullptr;  // what they hold goes here, not under the lock
            then = nullptr;
            lock.lock();
            continue;
        }
        lock.unlock();
        const bool ticked = clock_.tick(Clock::now());
        if (ticked) publish();
        const auto sleep = clock_.sleepFor(Clock::now());
        lock.lock();
        if (!ticked) wake_.wait_for(lock, sleep, [this] { return stopping_ || !jobs_.empty(); });
    }
}

}  // namespace vrelhost
