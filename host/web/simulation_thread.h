// SimulationThread: the one thread that touches the simulation while the
// browser view runs. It carries out the requests' actions one at a time, in
// the order they were posted, and between them issues the "wait" lines that
// deliver timer ticks in real time. It starts the UpdateHub with the whole
// state document (view_model.h), after each action or tick publishes what
// changed (state_changes.h), and hands every transcript line to the hub, as
// a log entry, as it is written.
//
// Requests never wait on it: the network thread posts a job and goes on,
// and the job posts its reply back. The source must outlive this object;
// the destructor stops the thread (the job under way finishes, the jobs not
// begun are dropped) and stops listening to the transcript.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "clock_driver.h"
#include "state_changes.h"
#include "update_hub.h"
#include "view_actions.h"
#include "view_source.h"

namespace vrelhost {

class SimulationThread {
public:
    // A job makes the reply to one request; `then` gets it once the state
    // the job left is published, so a client that reads the state after
    // its reply sees what its action did.
    using Job = std::function<ActionReply(ViewActions&)>;
    using Then = std::function<void(ActionReply)>;

    SimulationThread(ViewSource& source, UpdateHub& hub);
    ~SimulationThread();
    SimulationThread(const SimulationThread&) = delete;
    SimulationThread& operator=(const SimulationThread&) = delete;

    // From any thread: runs `job` on the simulation's thread, publishes, then calls `then`.
    void post(Job job, Then then);
    // From any thread: no job begins after this.
    void stop();

private:
    void loop();
    void publish();

    ViewSource& source_;
    UpdateHub& hub_;
    ClockDriver clock_;
    ViewActions actions_;
    StateTracker tracker_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<Job, Then>> jobs_;  // under mutex_
    bool stopping_ = false;  // under mutex_
    std::thread thread_;
};

}  // namespace vrelhost
