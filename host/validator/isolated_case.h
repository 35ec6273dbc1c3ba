// Runs one validator case in a child process, so that whatever the script does
// (crash, hang, abort, a sanitizer report, a leak found at exit) ends that
// child and is reported as the case's failure, while the validator goes on.
//
// The child runs the case, writes what it found to a private file and leaves
// with exit() (not _exit), so that a leak checker gets to run. The parent waits,
// with a time limit enforced by an alarm in the child, and reads the verdict
// and the last lines the child wrote to standard error. POSIX only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "case_report.h"

namespace validator {

struct CaseOutcome {
    bool passed = false;
    std::vector<std::string> messages;  // why it failed; empty when it passed
    std::vector<std::string> warnings;  // what deserves a look, whether it passed or not
    std::string errorTail;              // the telling part of the child's standard error, when it failed
};

CaseOutcome runIsolated(const std::function<void(CaseReport&)>& body, unsigned timeLimitSeconds);

}  // namespace validator
