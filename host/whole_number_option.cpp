#include "whole_number_option.h"

namespace vrelhost {

CLI::Validator wholeNumber(long long lowest, long long highest, const std::string& what) {
    return CLI::Validator(
        [lowest, highest, what](std::string& text) {
            const bool digits = !text.empty() && text.size() < 19 &&
                                text.find_first_not_of("0123456789") == std::string::npos;
            if (digits && std::stoll(text) >= lowest && std::stoll(text) <= highest) return std::string();
            return "expected " + what + ", a whole number from " + std::to_string(lowest) + " to " +
                   std::to_string(highest) + ", not \"" + text + "\"";
        },
        std::to_string(lowest) + " to " + std::to_string(highest));
}

}  // namespace vrelhost
