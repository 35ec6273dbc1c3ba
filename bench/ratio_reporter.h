// RatioReporter: the console output of Google Benchmark, plus a closing table
// that sets each action's time and heap allocations against its floor.
//
// Benchmarks are paired by name: "{action}/component" with "{action}/floor".
// Every repetition of a benchmark is kept; the table shows the median CPU time
// per iteration and its spread (the interquartile range as a share of the
// median), so one disturbed repetition on a busy machine moves nothing. The
// ratio is the component's median over the floor's. Run with repetitions
// interleaved, the two sides of a pair meet the same load.
//
// An action over its time target, or with more allocations than its floor
// allows, is marked "OVER"; the table is information, the exit status never
// depends on it. The reporter owns only copies of the figures it is handed.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Target {
        std::string action;
        double ratio;               // the most the component may take over its floor (0: none)
        double allocationAllowance; // allocations per iteration beyond the floor's; negative: not judged
    };

    RatioReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    // Keeps every repetition; shows the console only the median and the
    // coefficient of variation when there are repetitions, and the runs
    // themselves otherwise.
    void ReportRuns(const std::vector<Run>& runs) override;

    // Prints the table for the given actions, in this order. Returns the
    // number of actions marked OVER.
    int printRatios(const std::vector<Target>& targets) const;

    // The median and spread of a sample; exposed for the figures in the table.
    struct Summary {
        double median = 0;
        double spread = 0;  // interquartile range over the median (0.1: 10%)
        std::size_t count = 0;
    };
    static Summary summarize(std::vector<double> samples);

private:
    struct Figures {
        std::vector<double> seconds;      // CPU seconds per iteration, one per repetition
        std::vector<double> allocations;  // heap allocations per iteration, one per repetition
    };
    std::map<std::string, Figures> figures_;  // by benchmark name
};
