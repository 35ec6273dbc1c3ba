// The validator's cases, one function each: what is checked and how is said
// beside each one in validator_cases.cpp. Every case loads the library itself,
// because each runs in a process of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "case_report.h"

namespace validator {

struct ValidatorCase {
    std::string name;
    std::function<void(CaseReport&)> body;
};

// The notifications a storm sends.
constexpr int stormNotifications = 10000;

std::vector<ValidatorCase> validatorCases(const std::string& library, std::uint64_t stormSeed);

}  // namespace validator
