// SiteExchange: what the instances of one simulated host share besides the
// site itself: which instance registered for which slots and database
// entries, the device reports waiting to be delivered, and which renames the
// site file does not hold.
//
// The real panel host loads the script once per panel instance, and the
// instances reach each other only through the devices: a slot written or an
// entry renamed by one is reported to every instance that registered for it.
// Here such a report becomes one delivery per registered instance, queued in
// ascending instance number (the writer included, in its place), and the
// queue is worked off only once the call that caused it has returned, one
// delivery per call, so no script is ever called re-entrantly. A poll (IP)
// is answered to the instance that asked only.
//
// Recipients are attached by their owner and must detach (forget) before they
// go. One thread.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vrelhost {

// A device report on its way to one instance.
struct PendingReport {
    enum class Kind { revertive, database } kind;
    int device = 0;
    int database = 0;  // database changes only
    int index = 0;     // the slot of a revertive, the entry of a database change
    std::string text;
};

class SiteExchange {
public:
    // Takes one report into one script: a call of its own.
    class Recipient {
    public:
        virtual void receive(const PendingReport& report) = 0;

    protected:
        ~Recipient() = default;
    };

    void attach(int instance, Recipient* recipient) { recipients_[instance] = recipient; }
    // The instance is gone: its registrations and the reports still waiting
    // for it go too; every other instance keeps its own.
    void forget(int instance);

    void registerSlots(int instance, int device, int first, int last);
    void unregisterSlots(int instance, int device);
    void registerEntries(int instance, int device, int first, int last);
    bool slotsRegistered(int instance, int device, int slot) const;
    bool entriesRegistered(int instance, int device, int entry) const;

    // A slot was written or an entry renamed: one delivery for each
    // registered instance, in ascending instance number.
    void slotWritten(int device, int slot, const std::string& text);
    void entryRenamed(int device, int database, int entry, const std::string& text);
    // Called after each slot write and rename, whoever made it, before any
    // instance hears of it: what follows the site itself (the displays).
    void watch(std::function<void()> watcher) { watcher_ = std::move(watcher); }
    // A report for one instance only (the answer to its poll).
    void reportTo(int instance, const PendingReport& report);

    // The reports waiting for `instance`, taken out of the queue (a host
    // driven without recipients).
    std::deque<PendingReport> takeFor(int instance);
    std::size_t waiting() const { return queue_.size(); }

    // Delivers the queue, reports caused on the way included, until it is
    // empty. Past `limit` deliveries the rest is dropped and `onFlood` told:
    // scripts that keep answering reports with reports would never let the
    // operator in. A call made while delivering returns at once: the
    // delivery under way works the queue off.
    void deliver(std::size_t limit, const std::function<void()>& onFlood);

    // Renames the site file does not hold, whichever instance made them:
    // those since the last save that worked. Each save writes the whole
    // site, so a good save by any instance takes every earlier failed one
    // along. The first problem of those is kept.
    void renameSaved() {
        unsavedRenames_ = 0;
        saveError_.clear();
    }
    void renameNotSaved(const std::string& error) {
        if (unsavedRenames_++ == 0) saveError_ = error;
    }
    int unsavedRenames() const { return unsavedRenames_; }
    const std::string& saveError() const { return saveError_; }

private:
    using Ranges = std::map<int, std::vector<std::pair<int, int>>>;  // device -> first..last
    struct Delivery {
        int instance;
        PendingReport report;
    };
    static bool covers(const Ranges& ranges, int device, int index);
    void toRegistered(const std::map<int, Ranges>& registrations, const PendingReport& report);

    std::map<int, Recipient*> recipients_;
    std::map<int, Ranges> slotRegistrations_;   // instance -> IR ranges
    std::map<int, Ranges> entryRegistrations_;  // instance -> RR ranges
    std::deque<Delivery> queue_;
    bool delivering_ = false;
    std::function<void()> watcher_;
    int unsavedRenames_ = 0;
    std::string saveError_;
};

}  // namespace vrelhost
