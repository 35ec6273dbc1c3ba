#include "state_changes.h"

#include <algorithm>

#include "displays_view.h"
#include "view_model.h"

namespace vrelhost {
namespace {

using nlohmann::json;

// The field that names an element of an array of objects.
const char* keyField(const json& element) {
    if (!element.is_object()) return nullptr;
    for (const char* field : {"position", "id", "name", "number"})
        if (element.contains(field)) return field;
    return nullptr;
}

bool ofObjects(const json& array, const json& value) {
    return array.empty() ? value.is_object() : array.front().is_object();
}

// The element of `array` that `step` names, or end().
json::iterator elementAt(json& array, const json& step, const json& value) {
    if (ofObjects(array, value)) {
        // The elements of one array share their key field.
        const char* field = array.empty() ? nullptr : keyField(array.front());
        if (!field) return array.end();
        for (auto it = array.begin(); it != array.end(); ++it) {
            auto key = it->find(field);
            if (key != it->end() && *key == step) return it;
        }
        return array.end();
    }
    if (!step.is_number_integer() || step.get<long long>() < 0) return array.end();
    const auto index = step.get<std::size_t>();
    return index < array.size() ? array.begin() + static_cast<std::ptrdiff_t>(index) : array.end();
}

}  // namespace

bool applyChange(json& document, const json& path, const json& value) {
    if (!path.is_array()) return false;
    if (path.empty()) {
        document = value;
        return true;
    }
    json* node = &document;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        const json& step = path[i];
        if (node->is_object() && step.is_string()) {
            auto it = node->find(step.get<std::string>());
            if (it == node->end()) return false;
            node = &*it;
        } else if (node->is_array()) {
            auto it = elementAt(*node, step, json::object());
            if (it == node->end()) return false;
            node = &*it;
        } else {
            return false;
        }
    }
    const json& last = path.back();
    if (node->is_object() && last.is_string()) {
        (*node)[last.get<std::string>()] = value;
        return true;
    }
    if (!node->is_array()) return false;
    auto it = elementAt(*node, last, value);
    const bool objects = ofObjects(*node, value);
    if (it != node->end()) {
        if (value.is_null() && objects) node->erase(it);
        else *it = value;
        return true;
    }
    const char* field = keyField(value);
    if (!objects || !field || value[field] != last) return false;
    node->push_back(value);
    return true;
}

void StateTracker::see(int k) {
    Seen& seen = seen_[static_cast<std::size_t>(k)];
    seen.version = source_.panelsVersion(k);
    seen.alive = source_.alive(k);
    seen.panels = source_.panels(k);
    seen.lists.clear();
    for (const auto& [id, slot] : seen.panels)
        for (std::size_t j = 0; j < slot.controls.size(); ++j)
            if (slot.controls[j].property("type") == "list")
                seen.lists.push_back({id, j, boundDatabase(slot.controls[j], slot.controls)});
}

json StateTracker::start(const json& clock) {
    const json document = stateDocument(source_, clock);
    seen_.assign(static_cast<std::size_t>(source_.positions()) + 1, Seen{});
    for (int k = 1; k <= source_.positions(); ++k) see(k);
    devices_ = source_.devices();
    clock_ = document["clock"];
    displays_ = document["displays"];
    alive_ = document["alive"].get<bool>();
    return document;
}

std::vector<Change> StateTracker::changes(const json& clock) {
    std::vector<Change> out;
    if (static_cast<std::size_t>(source_.positions()) + 1 != seen_.size()) {
        // Positions never come or go while the view runs; should they, the document is sent whole.
        out.push_back({json::array(), start(clock)});
        return out;
    }
    siteChanges(out);
    displaysChanges(out);
    for (int k = 1; k <= source_.positions(); ++k) {
        Seen& seen = seen_[static_cast<std::size_t>(k)];
        if (seen.version != source_.panelsVersion(k) || !renamed_.empty()) positionChanges(k, out);
        if (seen.alive != source_.alive(k)) {
            seen.alive = !seen.alive;
            out.push_back({{"positions", k, "alive"}, seen.alive});
        }
    }
    const bool alive = source_.anyAlive();
    if (alive != alive_) out.push_back({{"alive"}, alive_ = alive});
    if (clock != clock_) out.push_back({{"clock"}, clock_ = clock});
    return out;
}

void StateTracker::positionChanges(int k, std::vector<Change>& out) {
    Seen& seen = seen_[static_cast<std::size_t>(k)];
    const std::uint64_t since = seen.version;
    seen.version = source_.panelsVersion(k);
    const auto& panels = source_.panels(k);
    const std::vector<Device>& devices = source_.devices();
    // The same panels from the same files: only what is inside them may have
    // changed (a control's type, place and binding come from its file).
    bool sameShape = panels.size() == seen.panels.size();
    auto b = seen.panels.cbegin();
    for (auto a = panels.cbegin(); sameShape && a != panels.cend(); ++a, ++b)
        sameShape = a->first == b->first && a->second.path == b->second.path &&
                    a->second.controls.size() == b->second.controls.size();
    if (!sameShape) {
        see(k);
        out.push_back({{"positions", k, "panels"}, panelsJson(panels, devices), k});
        return;
    }
    struct Changed {
        const std::string* panel;
        const PanelSlots::Slot* slot;
        std::size_t index;
        bool operator==(const Changed& other) const { return slot == other.slot && index == other.index; }
    };
    std::vector<Changed> changed;  // controls, in their order
    for (const auto& [id, slot] : panels) {
        PanelSlots::Slot& was = seen.panels[id];
        if (was.onScreen != slot.onScreen) {
            was.onScreen = slot.onScreen;
            out.push_back({{"positions", k, "panels", id, "onScreen"}, slot.onScreen, k});
        }
        // Only what was handed out to change since is compared (all of it when the slot was).
        const bool wholeSlot = slot.version > since;
        for (std::size_t j = 0; j < slot.controls.size(); ++j)
            if ((wholeSlot || slot.controlVersions[j] > since) &&
                slot.controls[j].properties != was.controls[j].properties) {
                was.controls[j].properties = slot.controls[j].properties;
                changed.push_back({&id, &slot, j});
            }
    }
    // A list shows the names of the database its layout binds it to: it
    // changes with that binding (its panel's controls) and with those names.
    for (ListSeen& list : seen.lists) {
        const auto panel = panels.find(list.panel);
        const PanelSlots::Slot& slot = panel->second;
        const bool panelChanged = std::any_of(changed.begin(), changed.end(), [&](const Changed& c) { return c.slot == &slot; });
        if (!panelChanged && renamed_.empty()) continue;
        const std::optional<int> database = boundDatabase(slot.controls[list.index], slot.controls);
        const bool relisted = database != list.database ||
                              (database && std::find(renamed_.begin(), renamed_.end(), *database) != renamed_.end());
        list.database = database;
        const Changed at{&panel->first, &slot, list.index};
        if (relisted && std::find(changed.begin(), changed.end(), at) == changed.end()) changed.push_back(at);
    }
    for (const Changed& c : changed) {
        const Control& control = c.slot->controls[c.index];
        out.push_back({{"positions", k, "panels", *c.panel, "controls", control.name},
                       controlJson(control, *c.slot, devices), k});
    }
}

void StateTracker::siteChanges(std::vector<Change>& out) {
    const std::vector<Device>& devices = source_.devices();
    renamed_.clear();
    bool sameDevices = devices.size() == devices_.size();
    for (std::size_t i = 0; sameDevices && i < devices.size(); ++i) {
        const Device &a = devices_[i], &b = devices[i];
        sameDevices = a.number == b.number && a.instance == b.instance && a.role == b.role && a.hasSlots == b.hasSlots;
    }
    if (!sameDevices) {
        for (const Device& d : devices)
            for (const auto& entry : d.databases) renamed_.push_back(entry.first);
        devices_ = devices;
        out.push_back({{"site"}, siteJson(devices)});
        return;
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        Device& was = devices_[i];
        const Device& is = devices[i];
        if (was.slots != is.slots) {
            // Slots are only ever written; should one go, the device's slots are sent whole.
            bool onlyWritten = true;
            for (const auto& entry : was.slots) onlyWritten = onlyWritten && is.slots.count(entry.first);
            if (!onlyWritten) {
                json slots = json::object();
                for (const auto& [slot, text] : is.slots) slots[std::to_string(slot)] = text;
                out.push_back({{"site", "devices", is.number, "slots"}, std::move(slots)});
            } else {
                for (const auto& [slot, text] : is.slots) {
                    auto old = was.slots.find(slot);
                    if (old == was.slots.end() || old->second != text)
                        out.push_back({{"site", "devices", is.number, "slots", std::to_string(slot)}, text});
                }
            }
            was.slots = is.slots;
        }
        if (was.databases == is.databases) continue;
        bool sameSets = was.databases.size() == is.databases.size();
        for (const auto& [number, names] : is.databases) {
            auto old = was.databases.find(number);
            if (old != was.databases.end() && old->second == names) continue;
            renamed_.push_back(number);
            if (old == was.databases.end() || old->second.size() != names.size()) {
                sameSets = false;
                continue;
            }
            const std::string key = std::to_string(number);
            for (std::size_t e = 0; e < names.size(); ++e)
                if (old->second[e] != names[e]) out.push_back({{"site", "devices", is.number, "databases", key, e}, names[e]});
        }
        if (!sameSets) {
            // A database come or gone, or of another length: the device's databases are sent whole.
            json all = json::object();
            for (const auto& [number, names] : is.databases) all[std::to_string(number)] = names;
            out.push_back({{"site", "devices", is.number, "databases"}, std::move(all)});
        }
        was.databases = is.databases;
    }
}

void StateTracker::displaysChanges(std::vector<Change>& out) {
    json now = displaysJson(source_.displays(), source_.brightnessLevels());
    if (now == displays_) return;
    const bool sameShape = now.is_object() && displays_.is_object() && now.size() == displays_.size() &&
                           now["names"].size() == displays_["names"].size();
    // Another set live changes every name: then the section goes whole. A
    // rename is one name, another brightness a field or two.
    const bool setChanged = !sameShape || now["set"] != displays_["set"];
    if (setChanged) {
        out.push_back({{"displays"}, now});
    } else {
        for (auto it = now.begin(); it != now.end(); ++it)
            if (it.key() != "names" && displays_[it.key()] != it.value())
                out.push_back({{"displays", it.key()}, it.value()});
        const json& names = now["names"];
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] != displays_["names"][i]) out.push_back({{"displays", "names", i}, names[i]});
    }
    displays_ = std::move(now);
}

}  // namespace vrelhost
