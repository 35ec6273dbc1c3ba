// ScriptSession is the script's life inside a Simulation: a
// ScriptDriver plus what a running site adds to it (device reports delivered
// after each call, timer ticks from the simulated clock).
//
// ScriptSession: one script, driven the way the panel host drives it.
//
// Creates the script through the library's entry (the creation text is the
// folder of the panel files), delivers notifications to it one at a time, and
// destroys it at the end, through the protocol kit's script driver, which
// checks the script's side of every call. After every call into the script
// returns, the session delivers the device reports the call caused, to this
// instance and to every other one on the site's exchange registered for them
// (each itself a call, so reports are never delivered re-entrantly). Timer
// ticks come from the simulated clock while the operator waits. Destroying
// the script takes this instance off the exchange; the others keep running.
//
// The host, transcript and log are the caller's and must outlive the session.
// One thread.
#pragma once

#include <optional>
#include <string>

#include "host/protocol/script_driver.h"
#include "protocol_log.h"
#include "script_library.h"
#include "simulated_host.h"
#include "transcript.h"

namespace vrelhost {

class ScriptSession : private SiteExchange::Recipient {
public:
    ScriptSession(SimulatedHost& host, Transcript& transcript, ProtocolLog& log)
        : host_(host), transcript_(transcript), log_(log), driver_(&host, log) {
        host_.exchange().attach(host_.instance(), this);
    }
    ~ScriptSession() {
        destroy();
        host_.exchange().forget(host_.instance());
    }
    ScriptSession(const ScriptSession&) = delete;
    ScriptSession& operator=(const ScriptSession&) = delete;

    // False when the entry returned no script.
    bool create(ScriptLibrary::Entry entry, const std::string& creationText);
    bool alive() const { return driver_.alive(); }

    void button(const std::string& panel, const std::string& control, const std::string& event);
    void revertive(int device, int index, const std::string& text);
    void databaseChange(int device, int database, int index, const std::string& text);
    // The script's answer (nothing when it answers null); the buffer is handed back.
    std::optional<std::string> parent(const std::string& text);
    // Moves the clock on by `milliseconds`, delivering every tick due on the way.
    void wait(long long milliseconds);
    // When this script's next tick is due (nothing while no timer runs or
    // the script is gone), and that one tick, if it is due by `until`: a
    // clock shared by several instances takes their ticks in time order.
    std::optional<long long> nextTick() const;
    bool tickBefore(long long until);
    void destroy();

private:
    void receive(const PendingReport& report) override;
    void deliver(const PendingReport& report);
    void settle();

    SimulatedHost& host_;
    Transcript& transcript_;
    ProtocolLog& log_;
    ScriptDriver driver_;
};

}  // namespace vrelhost
