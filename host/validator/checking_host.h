// CheckingHost: the host side of the protocol, with every rule checked.
//
// The script calls notify() with kind 0 to send a command and with kind 5 to
// hand back a reply. This host checks each call and reports every breach to
// the case's report:
//  - a command text is non-null, begins with a known two-letter code followed
//    by a blank or the end of the text, and (in strict mode) has the fields
//    its code takes;
//  - nothing is sent after "AS";
//  - the script sends only kinds 0 and 5;
//  - a kind 5 hands back a reply this host gave and has not yet got back
//    (null is allowed), and `afterCall` finds no reply still held once the
//    call that produced it has returned.
//
// Replies to the queries SD, XI, RN and TG come from the `Replies` function
// (nothing means a null reply) and live in the host's reply ledger until
// handed back; PI, PS and PR answer a static status that must not be handed
// back; every other command answers null. The host also notes the controls,
// devices and timers the script names (and the device numbers it answered), so
// that a storm can press those controls, report for those devices and tick
// those timers. The report must outlive the host.
// One thread.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "case_report.h"
#include "reply_ledger.h"
#include "runtime/boundary/vrel_client_callback.h"

namespace validator {

class CheckingHost : public vrel_client_callback {
public:
    using Replies = std::function<std::optional<std::string>(const std::string& command)>;

    CheckingHost(CaseReport& report, Replies replies, bool strict)
        : report_(report), replies_(std::move(replies)), strict_(strict) {}

    void* notify(void* data, int kind) override;

    // Reports every reply still held after the script's call named `what` returned.
    void afterCall(const std::string& what);

    bool closed() const { return closed_; }
    std::size_t commandCount() const { return commandCount_; }
    const std::string& lastCommand() const { return lastCommand_; }
    // (panel, control) pairs named by the script's control commands, each once.
    const std::vector<std::pair<std::string, std::string>>& controls() const { return controls_; }
    const std::vector<int>& devices() const { return devices_; }
    const std::vector<int>& timers() const { return timers_; }

private:
    void* command(const char* text);
    void handBack(void* pointer);
    void noteControl(const std::string& panel, const std::string& control);
    static void noteNumber(std::vector<int>& numbers, int number);

    CaseReport& report_;
    Replies replies_;
    bool strict_;
    vrelhost::ReplyLedger ledger_;
    bool closed_ = false;
    std::size_t commandCount_ = 0;
    std::string lastCommand_;
    std::vector<std::pair<std::string, std::string>> controls_;
    std::vector<int> devices_;
    std::vector<int> timers_;
};

}  // namespace validator
