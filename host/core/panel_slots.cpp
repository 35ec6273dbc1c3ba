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
    return true;
}

bool PanelSlots::show(const std::string& id, const std::string& path, std::string& error) {
    if (!insert(id, path, error)) return false;
    ++version_;
    slots_[id].onScreen = true;
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
    ++version_;
    return const_cast<Slot*>(static_cast<const PanelSlots*>(this)->slot(id));
}

const Control* PanelSlots::control(const std::string& id, const std::string& name) const {
    const Slot* s = slot(id);
    if (!s) return nullptr;
    for (const Control& c : s->controls)
        if (c.name == name) return &c;
    return nullptr;
}

Control* PanelSlots::control(const std::string& id, const std::string& name) {
    ++version_;
    return const_cast<Control*>(static_cast<const PanelSlots*>(this)->control(id, name));
}

}  // namespace vrelhost
