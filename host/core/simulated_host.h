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
// entry, a poll) is queued on the site's exchange (site_exchange.h), never
// delivered from inside notify(): the session works the queue off once the
// script's current call has returned. Several hosts, one per instance of the
// script, may share one site and one exchange; each keeps its own panels,
// timers and registrations, and a report reaches every instance registered.
//
// The site, transcript, log, exchange and optional site file are the
// caller's and must outlive the host; without an exchange the host keeps one
// of its own (a single instance). One thread.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "host/protocol/command_grammar.h"
#include "host/protocol/protocol_host.h"
#include "panel_slots.h"
#include "protocol_log.h"
#include "site.h"
#include "site_exchange.h"
#include "site_file.h"
#include "timer_set.h"
#include "transcript.h"

namespace vrelhost {

class SimulatedHost : public ProtocolHost {
public:
    SimulatedHost(Site& site, Transcript& transcript, ProtocolLog& log, SiteExchange* exchange = nullptr,
                  int instance = 1);

    // Renames of the devices the file keeps are written to it at once.
    void keepSiteIn(SiteFile* file) { siteFile_ = file; }
    // Renames the site file does not hold, counted on the exchange for every
    // instance of the site (site_exchange.h): the device took them, but they
    // are gone when the session ends. The first problem of those is kept.
    int unsavedRenames() const { return exchange_.unsavedRenames(); }
    const std::string& saveError() const { return exchange_.saveError(); }
    // Renames the host refused (no such device, database or entry): what the
    // script asked is not done anywhere. The first is kept.
    int refusedRenames() const { return refusedRenames_; }
    const std::string& firstRefusedRename() const { return firstRefusedRename_; }

    // The reports waiting for this instance, taken off the exchange.
    std::deque<PendingReport> takePending() { return exchange_.takeFor(instance_); }
    SiteExchange& exchange() { return exchange_; }
    int instance() const { return instance_; }

    PanelSlots& panels() { return panels_; }
    TimerSet& timers() { return timers_; }
    Site& site() { return site_; }

private:
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

    Site& site_;
    Transcript& transcript_;
    std::unique_ptr<SiteExchange> ownExchange_;
    SiteExchange& exchange_;
    int instance_;
    SiteFile* siteFile_ = nullptr;
    int refusedRenames_ = 0;
    std::string firstRefusedRename_;
    PanelSlots panels_;
    TimerSet timers_;
};

}  // namespace vrelhost
