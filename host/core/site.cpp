#include "site.h"

namespace vrelhost {

const std::vector<std::string>& hostRoles() {
    static const std::vector<std::string> roles = {routerRole, infodriverRole};
    return roles;
}

namespace {

bool validIndex(int index) { return index >= 1 && index <= databaseEntries; }
bool validSlot(int slot) { return slot >= 1 && slot <= infodriverSlots; }

}  // namespace

Device* Site::find(int number) {
    for (Device& d : devices)
        if (d.number == number) return &d;
    return nullptr;
}

const Device* Site::find(int number) const { return const_cast<Site*>(this)->find(number); }

const Device* Site::findInstance(const std::string& instance) const {
    for (const Device& d : devices)
        if (d.instance == instance) return &d;
    return nullptr;
}

const Device* Site::withRole(const std::string& role) const {
    for (const Device& d : devices)
        if (d.role == role) return &d;
    return nullptr;
}

std::optional<std::string> Site::entry(int device, int database, int index) const {
    const Device* d = find(device);
    if (!d || !validIndex(index)) return std::nullopt;
    auto db = d->databases.find(database);
    if (db == d->databases.end()) return std::nullopt;
    return db->second[static_cast<std::size_t>(index - 1)];
}

bool Site::rename(int device, int database, int index, const std::string& text) {
    Device* d = find(device);
    if (!d || !validIndex(index)) return false;
    auto db = d->databases.find(database);
    if (db == d->databases.end()) return false;
    db->second[static_cast<std::size_t>(index - 1)] = text;
    return true;
}

std::optional<std::string> Site::slot(int device, int slot) const {
    const Device* d = find(device);
    if (!d || !d->hasSlots || !validSlot(slot)) return std::nullopt;
    auto it = d->slots.find(slot);
    return it == d->slots.end() ? std::string() : it->second;
}

bool Site::writeSlot(int device, int slot, const std::string& text) {
    Device* d = find(device);
    if (!d || !d->hasSlots || !validSlot(slot)) return false;
    d->slots[slot] = text;
    return true;
}

}  // namespace vrelhost
