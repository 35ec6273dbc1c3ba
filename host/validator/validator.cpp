#include "validator.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "isolated_case.h"
#include "validator_cases.h"

namespace {

// Generous: a case under a sanitizer runs several times slower than without.
constexpr unsigned caseTimeLimitSeconds = 120;

struct Failure {
    std::string name;
    validator::CaseOutcome outcome;
};

std::uint64_t freshSeed() {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return ((static_cast<std::uint64_t>(device()) << 32) ^ device() ^ now) % 1000000000ULL;
}

void printFailure(const Failure& failure) {
    std::printf("\n%s:\n", failure.name.c_str());
    for (const std::string& message : failure.outcome.messages) std::printf("  %s\n", message.c_str());
    if (!failure.outcome.errorTail.empty()) {
        std::printf("  standard error of the case:\n");
        std::size_t start = 0;
        const std::string& tail = failure.outcome.errorTail;
        while (start < tail.size()) {
            const std::size_t end = tail.find('\n', start);
            std::printf("    %s\n", tail.substr(start, end - start).c_str());
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
}

}  // namespace

int runValidator(const std::string& library, std::optional<unsigned long long> seed, int repeat) {
    if (repeat < 1) repeat = 1;
    const std::uint64_t firstSeed = seed ? *seed : freshSeed();
    std::printf("validating %s\n", library.c_str());
    std::printf("storm seed %llu (replay with --seed %llu)\n", static_cast<unsigned long long>(firstSeed),
                static_cast<unsigned long long>(firstSeed));

    std::vector<Failure> failures;
    int run = 0;
    for (int r = 0; r < repeat; ++r) {
        if (repeat > 1) std::printf("\nrun %d of %d\n", r + 1, repeat);
        std::printf("%-48s %s\n", "case", "result");
        for (const validator::ValidatorCase& c : validator::validatorCases(library, firstSeed + r)) {
            validator::CaseOutcome outcome = validator::runIsolated(c.body, caseTimeLimitSeconds);
            ++run;
            std::printf("%-48s %s\n", c.name.c_str(), outcome.passed ? "pass" : "FAIL");
            // A warning does not fail the case; it is there for the integrator to see.
            for (const std::string& warning : outcome.warnings) std::printf("! %s\n", warning.c_str());
            std::fflush(stdout);
            if (!outcome.passed) failures.push_back({c.name, std::move(outcome)});
        }
    }
    for (const Failure& failure : failures) printFailure(failure);
    std::printf("\n%d of %d cases passed\n", run - static_cast<int>(failures.size()), run);
    return failures.empty() ? 0 : 3;
}
