// ViewServer: serves the browser view of a simulation over HTTP.
//
//   GET  /, /view.js, /view.css   the page (built into the program)
//   GET  /api/state               panels, clock and site as JSON
//   GET  /api/events              server-sent events: "state", "site", "log"
//   POST /api/press               {"panel","control"[,"event"]}: a press
//   POST /api/key                 {"key"}: one key on the keyboard control
//   POST /api/clock               {"speed": 0..100} or {"step": true}
//
// Every action becomes one operator line run through the ViewSource, after a
// "wait" that brings the clock up to real time; a ticker thread issues the
// waits that deliver timer ticks. One lock serializes the simulation; every
// change is pushed to each open event stream at once. A press the panel
// would not send (unknown, disabled or hidden control, panel off screen) is
// refused with an HTTP error and runs nothing.
//
// There is no login: whoever reaches the address operates the panels. Writes
// must be JSON (so another site's page cannot post to it without the browser
// asking first) and, on a loopback address, the Host header must name the
// loopback. The source is the caller's and must outlive the server.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "clock_driver.h"
#include "update_hub.h"
#include "view_source.h"

namespace httplib {
class Server;
}

namespace vrelhost {

class ViewServer {
public:
    struct Options {
        std::string address = "127.0.0.1";
        int port = 8080;   // 0: any free port
        int maxStreams = 32;
        std::size_t maxBody = 16 * 1024;
    };

    ViewServer(ViewSource& source, Options options);
    ~ViewServer();
    ViewServer(const ViewServer&) = delete;
    ViewServer& operator=(const ViewServer&) = delete;

    // Binds the address; false with `error` set.
    bool bind(std::string& error);
    int port() const { return port_; }
    // Serves (and runs the clock) until stop().
    void run();
    // From any thread, also before run().
    void stop();

    int openStreams() const { return hub_.streams(); }

private:
    void routes();
    void publishLocked();
    void tickerLoop();

    ViewSource& source_;
    Options options_;
    std::unique_ptr<httplib::Server> http_;
    int port_ = 0;
    std::mutex simulation_;  // guards source_ and clock_
    ClockDriver clock_;
    UpdateHub hub_;
    std::condition_variable tickerWake_;
    bool stopping_ = false;  // under simulation_
    std::atomic<bool> serving_{false};  // run() is listening or about to
};

}  // namespace vrelhost
