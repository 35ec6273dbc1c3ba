// RatioReporter: the console output of Google Benchmark, plus a closing table
// that sets each action's time against its floor.
//
// Benchmarks are paired by name: "{action}/component" with "{action}/floor".
// Of repeated runs the fastest is kept (the least disturbed by the machine).
// Actions given a target ratio are flagged when they exceed it; the table is
// information, the exit status never depends on it.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override;

    // Prints the table for the given actions, in this order, with their target
    // ratio (0: no target).
    void printRatios(const std::vector<std::pair<std::string, double>>& actions) const;

private:
    std::map<std::string, double> fastest_;  // CPU seconds per iteration, by benchmark name
};
