#include "serve.h"

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <thread>

#include "simulation_source.h"
#include "view_server.h"

namespace vrelhost {

int serve(const ServeSettings& settings) {
    // The signals that end the server are taken by one thread, which stops it
    // so the script is destroyed and the transcript completed. Blocked before
    // any other thread starts, so every thread inherits it.
    sigset_t ending;
    sigemptyset(&ending);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, s);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    std::string error;
    std::unique_ptr<SimulationSource> live = SimulationSource::start(settings.simulation, error);
    if (!live) {
        std::cerr << "vrel-host: " << error << "\n";
        return 1;
    }
    int status = 0;
    {
        ViewServer::Options options;
        options.address = settings.address;
        options.port = settings.port;
        ViewServer server(*live, options);
        if (!server.bind(error)) {
            std::cerr << "vrel-host: " << error << "\n";
            live->finish();
            return 1;
        }
        const bool v6 = settings.address.find(':') != std::string::npos;
        std::cout << "vrel-host: the panels are at http://" << (v6 ? "[" : "") << settings.address << (v6 ? "]" : "")
                  << ":" << server.port() << "/ (no login; Ctrl-C ends)" << std::endl;
        std::thread waiter([&server, ending] {
            int signal = 0;
            sigwait(&ending, &signal);
            server.stop();
        });
        server.run();
        // Ended by a signal, or the server failed: wake the waiter either way.
        pthread_kill(waiter.native_handle(), SIGTERM);
        waiter.join();
    }
    status = live->finish();
    return status;
}

}  // namespace vrelhost
