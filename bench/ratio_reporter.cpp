#include "ratio_reporter.h"

#include <algorithm>
#include <cstdio>

namespace {

// The value at quantile q (0 to 1) of sorted samples, interpolated linearly.
double quantile(const std::vector<double>& sorted, double q) {
    const double at = q * static_cast<double>(sorted.size() - 1);
    const std::size_t below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - static_cast<double>(below));
}

}  // namespace

RatioReporter::Summary RatioReporter::summarize(std::vector<double> samples) {
    Summary summary;
    summary.count = samples.size();
    if (samples.empty()) return summary;
    std::sort(samples.begin(), samples.end());
    summary.median = quantile(samples, 0.5);
    if (summary.median > 0) summary.spread = (quantile(samples, 0.75) - quantile(samples, 0.25)) / summary.median;
    return summary;
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    std::vector<Run> shown;
    for (const Run& run : runs) {
        const bool repeated = run.repetitions > 1;
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name == "median" || run.aggregate_name == "cv") shown.push_back(run);
            continue;
        }
        if (!repeated) shown.push_back(run);
        if (run.error_occurred || run.iterations == 0) continue;
        Figures& figures = figures_[run.run_name.str()];
        figures.seconds.push_back(run.cpu_accumulated_time / static_cast<double>(run.iterations));
        auto allocs = run.counters.find("allocs");
        if (allocs != run.counters.end()) figures.allocations.push_back(allocs->second.value);
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
}

int RatioReporter::printRatios(const std::vector<Target>& targets) const {
    int over = 0;
    std::printf("\n%-10s %12s %7s %12s %7s %7s %8s  %-16s %s\n", "action", "component", "spread", "floor", "spread",
                "ratio", "target", "allocs (floor)", "");
    for (const Target& target : targets) {
        auto component = figures_.find(target.action + "/component");
        auto floor = figures_.find(target.action + "/floor");
        if (component == figures_.end() || floor == figures_.end()) continue;
        const Summary c = summarize(component->second.seconds);
        const Summary f = summarize(floor->second.seconds);
        if (f.median <= 0) continue;
        const double ratio = c.median / f.median;
        const double componentAllocs = summarize(component->second.allocations).median;
        const double floorAllocs = summarize(floor->second.allocations).median;

        const bool slow = target.ratio > 0 && ratio > target.ratio;
        // Counts are averages over the iterations; a hair above a whole number
        // is a one-time allocation spread over many iterations.
        const bool heavy = target.allocationAllowance >= 0 &&
                           componentAllocs > floorAllocs + target.allocationAllowance + 0.01;
        char goal[16] = "-";
        if (target.ratio > 0) std::snprintf(goal, sizeof goal, "<= %.1fx", target.ratio);
        char allocs[32];
        if (target.allocationAllowance > 0)
            std::snprintf(allocs, sizeof allocs, "%.0f (%.0f+%.0f)", componentAllocs, floorAllocs,
                          target.allocationAllowance);
        else
            std::snprintf(allocs, sizeof allocs, "%.0f (%.0f)%s", componentAllocs, floorAllocs,
                          target.allocationAllowance < 0 ? " -" : "");
        const char* mark = slow && heavy ? "OVER: time, allocations" : slow ? "OVER: time" : heavy ? "OVER: allocations" : "";
        std::printf("%-10s %9.3f us %6.1f%% %9.3f us %6.1f%% %6.2fx %8s  %-16s %s\n", target.action.c_str(),
                    c.median * 1e6, c.spread * 100, f.median * 1e6, f.spread * 100, ratio, goal, allocs, mark);
        if (slow || heavy) ++over;
    }
    std::printf("(median CPU time per action over %zu repetitions; spread: interquartile range / median)\n",
                figures_.empty() ? std::size_t{0} : figures_.begin()->second.seconds.size());
    return over;
}
