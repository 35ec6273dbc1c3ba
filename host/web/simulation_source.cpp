#include "simulation_source.h"

namespace vrelhost {

std::unique_ptr<SimulationSource> SimulationSource::start(SimulationSettings settings, std::string& error) {
    std::unique_ptr<SimulationSource> source(new SimulationSource());
    source->profile_ = settings.profile;
    // Renames are written back only to a named site file, and only when the profile keeps a device.
    if (settings.saveRenames && settings.profile && !settings.profile->keptRole.empty())
        source->siteFile_ = settings.siteFile;
    settings.echoInput = true;
    SimulationSource* self = source.get();
    settings.listener = [self](const std::string& line) { self->heard(line); };
    source->simulation_ = Simulation::start(settings, error);
    if (!source->simulation_) return nullptr;
    return source;
}

void SimulationSource::heard(const std::string& line) {
    if (listener_) listener_(line);
    else if (early_.size() < keptEarly) early_.push_back(line);
}

void SimulationSource::onTranscriptLine(std::function<void(const std::string&)> listener) {
    listener_ = std::move(listener);
    if (!listener_) return;
    for (const std::string& line : early_) listener_(line);
    early_.clear();
}

ViewSource::LineResult SimulationSource::runLine(const std::string& line) {
    const Simulation::LineResult result = simulation_->runLine(line);
    using Outcome = Simulation::Outcome;
    const LineResult::Outcome outcome = result.outcome == Outcome::error     ? LineResult::Outcome::error
                                        : result.outcome == Outcome::refused ? LineResult::Outcome::refused
                                                                             : LineResult::Outcome::done;
    return {outcome, result.message};
}

int SimulationSource::finish() { return simulation_->finish(); }

}  // namespace vrelhost
