#include "checking_host.h"

#include <algorithm>
#include <cstdlib>

#include "command_parser.h"

namespace validator {
namespace {

char panelStatus[] = "ok";  // PI, PS and PR: a status, only ever tested for null

const char* const knownCodes[] = {"CD", "CE", "CH", "CS", "PI", "PS", "PR", "TP", "TG", "SD",
                                  "XI", "IP", "IR", "IU", "IW", "RR", "RM", "RN", "ET", "AS"};

bool hasKnownCode(const std::string& text) {
    if (text.size() > 2 && text[2] != ' ') return false;
    const std::string code = text.substr(0, 2);
    return std::find(std::begin(knownCodes), std::end(knownCodes), code) != std::end(knownCodes);
}

std::string quoted(const std::string& text) {
    constexpr std::size_t shown = 80;
    return "\"" + (text.size() > shown ? text.substr(0, shown) + "..." : text) + "\"";
}

}  // namespace

void* CheckingHost::notify(void* data, int kind) {
    if (kind == vrel_kind::command) return command(static_cast<const char*>(data));
    if (kind == vrel_kind::release) {
        handBack(data);
        return nullptr;
    }
    report_.fail("the script sent kind " + std::to_string(kind) + " to the host; only kinds 0 and 5 go that way");
    return nullptr;
}

void* CheckingHost::command(const char* text) {
    if (!text) {
        report_.fail("the script sent a null command text");
        return nullptr;
    }
    const std::string command(text);
    ++commandCount_;
    lastCommand_ = command;
    if (closed_) report_.fail("the script sent " + quoted(command) + " after AS");
    if (!hasKnownCode(command)) {
        report_.fail("the command " + quoted(command) + " does not begin with a known two-letter code");
        return nullptr;
    }
    const std::string code = command.substr(0, 2);
    if (code == "AS") {
        if (command != "AS") report_.fail("AS carries no fields, but the script sent " + quoted(command));
        closed_ = true;
        return nullptr;
    }

    std::string error;
    const std::optional<vrelhost::HostCommand> parsed = vrelhost::parseHostCommand(command, error);
    if (!parsed && strict_) report_.fail("the command " + quoted(command) + " is malformed: " + error);
    if (parsed) {
        const auto& texts = parsed->texts;
        if ((code == "CD" || code == "CE" || code == "CH" || code == "CS") && texts.size() == 2)
            noteControl(texts[0], texts[1]);
        if (code == "TP" && texts.size() == 3) noteControl(texts[1], texts[2]);
        if (code == "TG" && texts.size() == 3) noteControl(texts[0], texts[1]);
        const bool namesDevice = code == "RN" || code == "RR" || code == "IR" || code == "IP" || code == "IU" ||
                                 code == "IW" || code == "RM";
        if (namesDevice && !parsed->numbers.empty()) noteNumber(devices_, parsed->numbers[0]);
        if (code == "ET" && !parsed->numbers.empty()) noteNumber(timers_, parsed->numbers[0]);
    }

    if (vrelhost::isPanelFileCode(code)) return panelStatus;
    if (!vrelhost::isQueryCode(code)) return nullptr;
    const std::optional<std::string> reply = replies_(command);
    if (!reply) return nullptr;
    if (code == "SD") noteNumber(devices_, std::atoi(reply->c_str()));
    return ledger_.give(*reply, command);
}

void CheckingHost::handBack(void* pointer) {
    if (pointer == panelStatus) {
        report_.fail("the script handed back a panel command's status, which is the host's and never a reply");
        return;
    }
    switch (ledger_.handBack(pointer)) {
    case vrelhost::ReplyLedger::HandBack::freed:
    case vrelhost::ReplyLedger::HandBack::null:
        return;
    case vrelhost::ReplyLedger::HandBack::twice:
        report_.fail("the script handed back a reply twice");
        return;
    case vrelhost::ReplyLedger::HandBack::unknown:
        report_.fail("the script handed back a pointer the host never gave out");
        return;
    }
}

void CheckingHost::afterCall(const std::string& what) {
    for (const std::string& origin : ledger_.takeOverdue())
        report_.fail("the reply to " + quoted(origin) + " was not handed back before " + what + " returned");
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
