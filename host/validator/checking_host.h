// CheckingHost: the validator's reply policy on top of the host's rules
// (host/protocol/protocol_host.h), which check every call and report each
// breach to the case's report. In strict mode every command must also fit its
// code's form; without it (replies deliberately implausible, which the script
// pastes into its commands) only the code is checked.
//
// Replies to the queries SD, XI, RN and TG come from the `Replies` function
// (nothing means a null reply); PI, PS and PR answer the status; every other
// command answers null. The host also notes the controls, devices and timers
// the script names (and the device numbers it answered), so that a storm can
// press those controls, report for those devices and tick those timers. The
// report must outlive the host. One thread.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "case_report.h"
#include "host/protocol/protocol_host.h"

namespace validator {

class CheckingHost : public vrelhost::ProtocolHost {
public:
    using Replies = std::function<std::optional<std::string>(const std::string& command)>;

    CheckingHost(CaseReport& report, Replies replies, bool strict)
        : ProtocolHost(report, strict ? Fields::checked : Fields::lenient), replies_(std::move(replies)) {}

    std::size_t commandCount() const { return commandCount_; }
    const std::string& lastCommand() const { return lastCommand_; }
    // (panel, control) pairs named by the script's control commands, each once.
    const std::vector<std::pair<std::string, std::string>>& controls() const { return controls_; }
    const std::vector<int>& devices() const { return devices_; }
    const std::vector<int>& timers() const { return timers_; }

private:
    void received(const std::string& text) override;
    Answer carryOut(const vrelhost::HostCommand& command, const std::string& text) override;
    // Notes the controls, devices and timers a command's fields name.
    template <class Named>
    void noteNames(const Named& fields);
    void noteControl(const std::string& panel, const std::string& control);
    static void noteNumber(std::vector<int>& numbers, int number);

    Replies replies_;
    std::size_t commandCount_ = 0;
    std::string lastCommand_;
    std::vector<std::pair<std::string, std::string>> controls_;
    std::vector<int> devices_;
    std::vector<int> timers_;
};

}  // namespace validator
