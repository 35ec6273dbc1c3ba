// A command-line check for a whole number in a range, which says what was
// expected and quotes what was given ("abc", "2x", a number out of range).
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace vrelhost {

// `what` names the number for the message: "a number of positions".
CLI::Validator wholeNumber(long long lowest, long long highest, const std::string& what);

}  // namespace vrelhost
