#include "client_table.h"

namespace vrelhost {

bool ClientTable::oldestWaiting(const std::string* address, Id& found) const {
    bool any = false;
    std::uint64_t since = 0;
    for (const auto& [id, entry] : entries_) {
        if (entry.busy || (address && entry.address != *address)) continue;
        if (!any || entry.waitingSince < since) {
            any = true;
            since = entry.waitingSince;
            found = id;
        }
    }
    return any;
}

ClientTable::Admission ClientTable::admit(Id id, const std::string& address) {
    Admission admission;
    std::vector<Id> victims;
    int fromAddress = openFrom(address);
    int all = open();
    // Chosen before any is removed, so a refusal leaves the table as it was.
    std::map<Id, Entry> kept = entries_;
    while (fromAddress >= perAddress_ || all >= total_) {
        Id victim = 0;
        const bool found = fromAddress >= perAddress_ ? oldestWaiting(&address, victim) : oldestWaiting(nullptr, victim);
        if (!found) {
            entries_ = std::move(kept);
            return admission;
        }
        if (entries_[victim].address == address) --fromAddress;
        --all;
        victims.push_back(victim);
        entries_.erase(victim);
    }
    entries_ = std::move(kept);
    for (Id victim : victims) remove(victim);
    entries_[id] = Entry{address, false, ++clock_};
    ++perAddressOpen_[address];
    admission.admitted = true;
    admission.giveWay = std::move(victims);
    return admission;
}

void ClientTable::setBusy(Id id, bool busy) {
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    if (it->second.busy && !busy) it->second.waitingSince = ++clock_;
    it->second.busy = busy;
}

void ClientTable::remove(Id id) {
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    auto count = perAddressOpen_.find(it->second.address);
    if (count != perAddressOpen_.end() && --count->second <= 0) perAddressOpen_.erase(count);
    entries_.erase(it);
}

int ClientTable::openFrom(const std::string& address) const {
    auto it = perAddressOpen_.find(address);
    return it == perAddressOpen_.end() ? 0 : it->second;
}

}  // namespace vrelhost
