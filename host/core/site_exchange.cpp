#include "site_exchange.h"

#include <algorithm>

namespace vrelhost {

void SiteExchange::forget(int instance) {
    recipients_.erase(instance);
    slotRegistrations_.erase(instance);
    entryRegistrations_.erase(instance);
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [instance](const Delivery& d) { return d.instance == instance; }),
                 queue_.end());
}

void SiteExchange::registerSlots(int instance, int device, int first, int last) {
    slotRegistrations_[instance][device].emplace_back(first, last);
}

void SiteExchange::unregisterSlots(int instance, int device) {
    auto found = slotRegistrations_.find(instance);
    if (found != slotRegistrations_.end()) found->second.erase(device);
}

void SiteExchange::registerEntries(int instance, int device, int first, int last) {
    entryRegistrations_[instance][device].emplace_back(first, last);
}

bool SiteExchange::slotsRegistered(int instance, int device, int slot) const {
    auto found = slotRegistrations_.find(instance);
    return found != slotRegistrations_.end() && covers(found->second, device, slot);
}

bool SiteExchange::entriesRegistered(int instance, int device, int entry) const {
    auto found = entryRegistrations_.find(instance);
    return found != entryRegistrations_.end() && covers(found->second, device, entry);
}

void SiteExchange::slotWritten(int device, int slot, const std::string& text) {
    toRegistered(slotRegistrations_, PendingReport{PendingReport::Kind::revertive, device, 0, slot, text});
    if (watcher_) watcher_();
}

void SiteExchange::entryRenamed(int device, int database, int entry, const std::string& text) {
    toRegistered(entryRegistrations_,
                 PendingReport{PendingReport::Kind::database, device, database, entry, text});
    if (watcher_) watcher_();
}

void SiteExchange::reportTo(int instance, const PendingReport& report) {
    queue_.push_back(Delivery{instance, report});
}

// A std::map walks its keys in ascending order: that is the delivery order.
void SiteExchange::toRegistered(const std::map<int, Ranges>& registrations, const PendingReport& report) {
    for (const auto& [instance, ranges] : registrations)
        if (covers(ranges, report.device, report.index)) queue_.push_back(Delivery{instance, report});
}

std::deque<PendingReport> SiteExchange::takeFor(int instance) {
    std::deque<PendingReport> taken;
    std::deque<Delivery> rest;
    for (Delivery& d : queue_) {
        if (d.instance == instance)
            taken.push_back(std::move(d.report));
        else
            rest.push_back(std::move(d));
    }
    queue_.swap(rest);
    return taken;
}

void SiteExchange::deliver(std::size_t limit, const std::function<void()>& onFlood) {
    if (delivering_) return;
    delivering_ = true;
    std::size_t delivered = 0;
    while (!queue_.empty()) {
        if (++delivered > limit) {
            queue_.clear();
            if (onFlood) onFlood();
            break;
        }
        const Delivery next = std::move(queue_.front());
        queue_.pop_front();
        auto recipient = recipients_.find(next.instance);
        if (recipient != recipients_.end() && recipient->second) recipient->second->receive(next.report);
    }
    delivering_ = false;
}

bool SiteExchange::covers(const Ranges& ranges, int device, int index) {
    auto it = ranges.find(device);
    if (it == ranges.end()) return false;
    for (const auto& [first, last] : it->second)
        if (index >= first && index <= last) return true;
    return false;
}

}  // namespace vrelhost
