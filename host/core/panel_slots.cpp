#include "panel_slots.h"

namespace vrelhost {

bool PanelSlots::insert(const std::string& id, const std::string& path, std::string& error) {
    auto existing = slots_.find(id);
    if (existing != slots_.end() && existing->second.path == path) return true;
    std::optional<PanelDefinition> definition = loadPanelDefinition(path, error);
    if (!definition) return false;
    ++version_;
    Slot& slot = slots_[id];
    slot.path = path;
    slot.controls = std::move(definition->controls);
    slot.layout = std::move(definition->layout);
    slot.onScreen = false;
    slot.version = version_;
    slot.controlVersions.assign(slot.controls.size(), version_);
    return true;
}

bool PanelSlots::show(const std::string& id, const std::string& path, std::string& error) {
    if (!insert(id, path, error)) return false;
    Slot& slot = slots_[id];
    slot.onScreen = true;
    slot.version = ++version_;
    return true;
}

bool PanelSlots::remove(const std::string& id) {
    Slot* s = slot(id);
    if (!s) return false;
    s->onScreen = false;
    return true;
}

const PanelSlots::Slot* PanelSlots::slot(const std::string& id) const {
    auto it = slots_.find(id);
    return it == slots_.end() ? nullptr : &it->second;
}

PanelSlots::Slot* PanelSlots::slot(const std::string& id) {
    Slot* s = const_cast<Slot*>(static_cast<const PanelSlots*>(this)->slot(id));
    if (s) s->version = ++version_;
    return s;
}

const Control* PanelSlots::control(const std::string& id, const std::string& name) const {
    const Slot* s = slot(id);
    if (!s) return nullptr;
    for (const Control& c : s->controls)
        if (c.name == name) return &c;
    return nullptr;
}

Control* PanelSlots::control(const std::string& id, const std::string& name) {
    auto it = slots_.find(id);
    if (it == slots_.end()) return nullptr;
    Slot& s = it->second;
    for (std::size_t i = 0; i < s.controls.size(); ++i)
        if (s.controls[i].name == name) {
            s.controlVersions[i] = ++version_;
            return &s.controls[i];
        }
    return nullptr;
}

}  // namespace vrelhost
