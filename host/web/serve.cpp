#include "serve.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <thread>

#include "request_guard.h"
#include "signal_cleanup.h"
#include "simulation_source.h"
#include "view_server.h"

namespace vrelhost {
namespace {

int fail(const std::string& message) {
    std::cerr << "vrel-host: " << message << "\n";
    return 1;
}

// The host part of the URL to print: a name browsers reach this machine by
// when the address is every interface's.
std::string urlHost(const std::string& address) {
    std::string host = address;
    if (address == "0.0.0.0" || address == "::" || address == "[::]") {
        char name[256] = {};
        host = gethostname(name, sizeof name - 1) == 0 && name[0] ? name : "localhost";
    }
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    return host;
}

// Takes the ending signals on a thread of its own: the first stops the
// server, so the script is destroyed and the transcript completed as after
// any session; a second, should that hang, removes the lock and ends now.
class SignalWaiter {
public:
    SignalWaiter(const sigset_t& signals, ViewServer& server)
        : signals_(signals), thread_([this, &server] { wait(server); }) {}
    ~SignalWaiter() {
        done_ = true;
        pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }

private:
    void wait(ViewServer& server) {
        bool stopping = false;
        while (true) {
            int signal = 0;
            sigwait(&signals_, &signal);
            if (done_) return;
            if (!stopping) {
                stopping = true;
                server.stop();
                continue;
            }
            SignalCleanup::removeAll();
            _exit(128 + signal);
        }
    }

    sigset_t signals_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace

int serve(const ServeSettings& settings) {
    // The signals that end the server are taken by one thread. Blocked before
    // any other thread starts, so every thread inherits it.
    sigset_t ending;
    sigemptyset(&ending);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, s);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    ViewServer::Options options;
    options.address = settings.address;
    options.port = settings.port;
    options.times.request = std::chrono::seconds(settings.requestTimeoutSeconds);
    const bool loopback = isLoopbackAddress(settings.address);
    if (!loopback) {
        options.accessToken = newAccessToken();
        if (options.accessToken.empty()) return fail("the system gave no random bytes for an access token");
    }
    ViewServer server(options);
    std::string error;
    if (!server.bind(error)) return fail(error);

    int status = 1;
    {
        SignalWaiter waiter(ending, server);
        std::unique_ptr<SimulationSource> live = SimulationSource::start(settings.simulation, error);
        if (!live) return fail(error);
        const std::string url = "http://" + urlHost(settings.address) + ":" + std::to_string(server.port()) + "/";
        if (loopback) {
            std::cout << "vrel-host: the panels are at " << url << " (no login; Ctrl-C ends)" << std::endl;
        } else {
            std::cerr << "vrel-host: warning: listening on " << settings.address
                      << ", not on this machine only: anyone who can reach it and has the address below "
                         "can operate the panels and rename the site's names\n";
            std::cout << "vrel-host: the panels are at " << url << "?token=" << options.accessToken
                      << " (Ctrl-C ends)" << std::endl;
        }
        server.run(*live);
        status = live->finish();
    }
    return status;
}

}  // namespace vrelhost
