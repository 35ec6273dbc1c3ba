#include "checking_host.h"

#include <algorithm>
#include <cstdlib>

namespace validator {

void CheckingHost::received(const std::string& text) {
    ++commandCount_;
    lastCommand_ = text;
}

vrelhost::ProtocolHost::Answer CheckingHost::carryOut(const vrelhost::HostCommand& c, const std::string& text) {
    const std::string& code = c.code;
    const auto& texts = c.texts;
    if ((code == "CD" || code == "CE" || code == "CH" || code == "CS") && texts.size() == 2)
        noteControl(texts[0], texts[1]);
    if (code == "TP" && texts.size() == 3) noteControl(texts[1], texts[2]);
    if (code == "TG" && texts.size() == 3) noteControl(texts[0], texts[1]);
    const bool namesDevice =
        code == "RN" || code == "RR" || code == "IR" || code == "IP" || code == "IU" || code == "IW" || code == "RM";
    if (namesDevice && !c.numbers.empty()) noteNumber(devices_, c.numbers[0]);
    if (code == "ET" && !c.numbers.empty()) noteNumber(timers_, c.numbers[0]);

    if (vrelhost::isPanelFileCode(code)) return Answer::status();
    if (!vrelhost::isQueryCode(code)) return Answer::none();
    std::optional<std::string> reply = replies_(text);
    if (reply && code == "SD") noteNumber(devices_, std::atoi(reply->c_str()));
    return Answer::reply(std::move(reply));
}

void CheckingHost::noteNumber(std::vector<int>& numbers, int number) {
    constexpr std::size_t most = 64;
    if (numbers.size() < most && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
        numbers.push_back(number);
}

void CheckingHost::noteControl(const std::string& panel, const std::string& control) {
    constexpr std::size_t most = 512;
    if (controls_.size() >= most) return;
    const auto pair = std::make_pair(panel, control);
    if (std::find(controls_.begin(), controls_.end(), pair) == controls_.end()) controls_.push_back(pair);
}

}  // namespace validator
