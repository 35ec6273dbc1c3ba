// SimulationSource: the browser view's ViewSource over a Simulation, so every
// browser action is carried out by the very runLine a scenario line goes
// through, numbered and echoed into the transcript like a typed line.
//
// Owns the simulation, which writes the transcript file (exact form, each line
// flushed as written, a failed write an error). The transcript lines made
// before the view listens (the start-up) are kept for it.
// One thread (the view serializes calls).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "simulation.h"
#include "view_source.h"

namespace vrelhost {

class SimulationSource : public ViewSource {
public:
    // Nothing, with `error` set, when the simulation cannot start.
    static std::unique_ptr<SimulationSource> start(SimulationSettings settings, std::string& error);

    LineResult runLine(const std::string& line) override;
    int positions() const override { return simulation_->instances(); }
    const std::map<std::string, PanelSlots::Slot>& panels(int position) const override {
        return simulation_->panels(position);
    }
    bool alive(int position) const override { return simulation_->alive(position); }
    std::uint64_t panelsVersion(int position) const override { return simulation_->panelsVersion(position); }
    const std::vector<Device>& devices() const override { return simulation_->devices(); }
    const DisplayState* displays() const override { return simulation_->displays(); }
    int brightnessLevels() const override { return profile_ ? profile_->displays.brightnessLevels() : 0; }
    long long clock() const override { return simulation_->clock(); }
    std::optional<long long> nextTick() const override { return simulation_->nextTick(); }
    std::string siteFile() const override { return siteFile_; }
    std::string keyboardPanel() const override { return profile_->keyboardPanel; }
    std::string keyboardControl() const override { return profile_->keyboardControl; }
    void onTranscriptLine(std::function<void(const std::string&)> listener) override;

    // Destroys the script; the exit status of a scenario run.
    int finish();

private:
    SimulationSource() = default;
    void heard(const std::string& line);

    static constexpr std::size_t keptEarly = 10000;
    const SiteProfile* profile_ = nullptr;
    std::string siteFile_;
    std::function<void(const std::string&)> listener_;
    std::vector<std::string> early_;
    std::unique_ptr<Simulation> simulation_;
};

}  // namespace vrelhost
