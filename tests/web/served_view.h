// ServedView: one test's own browser view: the component started on the
// default site (or on a site file of its own), served on a free loopback
// port from a thread, with its transcript in a folder of its own that goes
// with the object. finish() stops the server and ends the session.
#pragma once

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "kelvane_profile.h"
#include "simulation_source.h"
#include "temp_folder.h"
#include "view_server.h"

namespace vrelhost::test {

class ServedView {
public:
    explicit ServedView(ViewServer::Options options = {}, bool withSiteFile = false, int positions = 1)
        : folder_("vrel-view-test") {
        transcriptPath = folder_.path() + "/run.log";
        SimulationSettings settings;
        settings.profile = &kelvaneProfile();
        settings.library = KELVANE_LIBRARY;
        settings.panels = VREL_HOST_PANELS;
        settings.transcriptFile = transcriptPath;
        settings.instances = positions;
        if (withSiteFile) {
            sitePath = folder_.path() + "/site.json";
            std::ofstream(sitePath) << kelvaneProfile().defaultSite().dump(2) << "\n";
            settings.siteFile = sitePath;
        }
        std::string error;
        live_ = SimulationSource::start(settings, error);
        if (!live_) {
            ADD_FAILURE() << error;
            return;
        }
        options.port = 0;
        server_ = std::make_unique<ViewServer>(options);
        if (!server_->bind(error)) {
            ADD_FAILURE() << error;
            return;
        }
        thread_ = std::thread([this] { server_->run(*live_); });
    }
    ~ServedView() { finish(); }
    ServedView(const ServedView&) = delete;
    ServedView& operator=(const ServedView&) = delete;

    bool ready() const { return server_ && thread_.joinable(); }
    int port() const { return server_->port(); }
    ViewServer& server() { return *server_; }

    // Stops the server (how long that took: stopTook) and ends the session; its exit status.
    int finish() {
        if (thread_.joinable()) {
            const auto start = std::chrono::steady_clock::now();
            server_->stop();
            thread_.join();
            stopTook = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        }
        server_.reset();
        if (live_ && status_ < 0) status_ = live_->finish();
        return status_;
    }

    std::string transcript() const { return readFile(transcriptPath); }
    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string transcriptPath, sitePath;
    std::chrono::milliseconds stopTook{0};

private:
    TempFolder folder_;
    std::unique_ptr<SimulationSource> live_;
    std::unique_ptr<ViewServer> server_;
    std::thread thread_;
    int status_ = -1;
};

}  // namespace vrelhost::test
