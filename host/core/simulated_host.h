// SimulatedHost is the only session class on the host's side of the calls:
// it answers the script's commands from the site and panels and drives nothing
// (the ScriptSession drives the script).
//
// SimulatedHost: the simulator's reply policy on top of the host's rules
// (host/protocol/protocol_host.h), which check every call and report to the
// protocol log.
//
// Each command is written to the transcript and carried out on the site, the
// panel slots and the timers. Queries (SD, XI, RN, TG) answer what the site
// and the panels hold; PI, PS and PR answer a status when they succeed; every
// other command answers null. A command the host cannot carry out for the
// site (an unknown slot, control or entry) is noted in the transcript.
//
// What the devices report back (a written infodriver slot, a renamed database
// entry, a poll) is queued, never delivered from inside notify(): the session
// takes the queue once the script's current call has returned.
//
// The site, transcript, log and optional site file are the caller's and must
// outlive the host. One thread.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/protocol/command_grammar.h"
#include "host/protocol/protocol_host.h"
#include "panel_slots.h"
#include "protocol_log.h"
#include "site.h"
#include "site_file.h"
#include "timer_set.h"
#include "transcript.h"

namespace vrelhost {

// A device report waiting for the end of the script's current call.
struct PendingReport {
    enum class Kind { revertive, database } kind;
    int device = 0;
    int database = 0;  // database changes only
    int index = 0;     // the slot of a revertive, the entry of a database change
    std::string text;
};

class SimulatedHost : public ProtocolHost {
public:
    SimulatedHost(Site& site, Transcript& transcript, ProtocolLog& log);

    // Renames of the devices the file keeps are written to it at once.
    void keepSiteIn(SiteFile* file) { siteFile_ = file; }
    // Renames the site file does not hold: those since the last save that
    // worked (each save writes every kept database, so a good save takes the
    // earlier failed ones along). The device took them, but they are gone when
    // the session ends. The first problem of those is kept.
    int unsavedRenames() const { return unsavedRenames_; }
    const std::string& saveError() const { return saveError_; }
    // Renames the host refused (no such device, database or entry): what the
    // script asked is not done anywhere. The first is kept.
    int refusedRenames() const { return refusedRenames_; }
    const std::string& firstRefusedRename() const { return firstRefusedRename_; }

    std::deque<PendingReport> takePending();

    PanelSlots& panels() { return panels_; }
    TimerSet& timers() { return timers_; }
    Site& site() { return site_; }

private:
    using Ranges = std::map<int, std::vector<std::pair<int, int>>>;  // device -> first..last

    void received(const std::string& text) override;
    Answer carryOut(const HostCommand& c, const std::string& text) override;
    Answer answer(const std::optional<std::string>& reply);

    // One handler per code (command_codes.def): a code without one does not compile.
    Answer on(const std::monostate&);
    Answer on(const cmd::CD& c);
    Answer on(const cmd::CE& c);
    Answer on(const cmd::CH& c);
    Answer on(const cmd::CS& c);
    Answer on(const cmd::PI& c);
    Answer on(const cmd::PS& c);
    Answer on(const cmd::PR& c);
    Answer on(const cmd::TP& c);
    Answer on(const cmd::TG& c);
    Answer on(const cmd::SD& c);
    Answer on(const cmd::XI& c);
    Answer on(const cmd::IP& c);
    Answer on(const cmd::IR& c);
    Answer on(const cmd::IU& c);
    Answer on(const cmd::IW& c);
    Answer on(const cmd::RR& c);
    Answer on(const cmd::RM& c);
    Answer on(const cmd::RN& c);
    Answer on(const cmd::ET& c);
    Answer on(const cmd::AS& c);

    Answer setState(CommandCode code, const std::string& panel, const std::string& name, const char* property,
                    const char* value);
    Answer panelStatus(CommandCode code, bool done, const std::string& error);
    Control* controlFor(CommandCode code, const std::string& panel, const std::string& name);

    static bool covers(const Ranges& ranges, int device, int index);

    Site& site_;
    Transcript& transcript_;
    SiteFile* siteFile_ = nullptr;
    int unsavedRenames_ = 0;
    std::string saveError_;
    int refusedRenames_ = 0;
    std::string firstRefusedRename_;
    PanelSlots panels_;
    TimerSet timers_;
    Ranges slotRegistrations_;   // IR
    Ranges entryRegistrations_;  // RR
    std::deque<PendingReport> pending_;
};

}  // namespace vrelhost
