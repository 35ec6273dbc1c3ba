#include "ratio_reporter.h"

#include <cstdio>

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
        const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
        const std::string name = run.run_name.str();
        auto it = fastest_.find(name);
        if (it == fastest_.end() || seconds < it->second) fastest_[name] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::printRatios(const std::vector<std::pair<std::string, double>>& actions) const {
    std::printf("\n%-20s %14s %14s %8s  %s\n", "action", "component", "floor", "ratio", "target");
    for (const auto& [action, target] : actions) {
        auto component = fastest_.find(action + "/component");
        auto floor = fastest_.find(action + "/floor");
        if (component == fastest_.end() || floor == fastest_.end() || floor->second <= 0) continue;
        const double ratio = component->second / floor->second;
        char goal[32] = "-";
        if (target > 0) std::snprintf(goal, sizeof goal, "<= %.0fx%s", target, ratio > target ? "  MISSED" : "");
        std::printf("%-20s %11.3f us %11.3f us %7.2fx  %s\n", action.c_str(), component->second * 1e6,
                    floor->second * 1e6, ratio, goal);
    }
}
