// SimulatedHost: the host's side of the protocol, as the script sees it.
//
// The script calls notify() with kind 0 to send a command text and with kind
// 5 to hand back a reply. Each command is written to the transcript, read
// with the command parser and carried out on the site, the panel slots and
// the timers. Queries (SD, XI, RN, TG) answer with a buffer from the reply
// ledger, which the script owns a copy of and must hand back; PI, PS and PR
// answer a status that is only tested (a static text, never to be handed
// back); every other command answers null. Malformed texts and wrong hand-
// backs are reported to the protocol log, never acted on.
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

#include "command_parser.h"
#include "panel_slots.h"
#include "protocol_log.h"
#include "reply_ledger.h"
#include "site.h"
#include "site_file.h"
#include "timer_set.h"
#include "transcript.h"
#include "vrel_client_callback.h"

namespace vrelhost {

// A device report waiting for the end of the script's current call.
struct PendingReport {
    enum class Kind { revertive, database } kind;
    int device = 0;
    int database = 0;  // database changes only
    int index = 0;     // the slot of a revertive, the entry of a database change
    std::string text;
};

class SimulatedHost : public vrel_client_callback {
public:
    SimulatedHost(Site& site, Transcript& transcript, ProtocolLog& log);

    // Renames of the devices the file keeps are written to it at once.
    void keepSiteIn(SiteFile* file) { siteFile_ = file; }
    // Renames the site file could not take (the first problem is kept): the
    // device took them, but they are gone when the session ends.
    int unsavedRenames() const { return unsavedRenames_; }
    const std::string& saveError() const { return saveError_; }

    void* notify(void* data, int kind) override;

    std::deque<PendingReport> takePending();
    bool closed() const { return closed_; }

    PanelSlots& panels() { return panels_; }
    TimerSet& timers() { return timers_; }
    ReplyLedger& ledger() { return ledger_; }
    Site& site() { return site_; }

private:
    using Ranges = std::map<int, std::vector<std::pair<int, int>>>;  // device -> first..last

    void* command(const char* text);
    void handBack(void* pointer);
    void* answer(const std::string& origin, const std::optional<std::string>& reply);

    void* controlState(const HostCommand& c);
    void* panelFile(const HostCommand& c);
    void* setProperty(const HostCommand& c);
    void* getProperty(const HostCommand& c);
    void* listControls(const HostCommand& c);
    void* pollSlots(const HostCommand& c);
    void* writeSlot(const HostCommand& c);
    void* renameEntry(const HostCommand& c);
    void* timer(const HostCommand& c);
    Control* controlFor(const HostCommand& c, const std::string& panel, const std::string& name);

    static bool covers(const Ranges& ranges, int device, int index);

    Site& site_;
    Transcript& transcript_;
    ProtocolLog& log_;
    SiteFile* siteFile_ = nullptr;
    int unsavedRenames_ = 0;
    std::string saveError_;
    PanelSlots panels_;
    TimerSet timers_;
    ReplyLedger ledger_;
    Ranges slotRegistrations_;   // IR
    Ranges entryRegistrations_;  // RR
    std::deque<PendingReport> pending_;
    bool closed_ = false;
};

}  // namespace vrelhost
