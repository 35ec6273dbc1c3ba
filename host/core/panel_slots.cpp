#include "panel_slots.h"

namespace vrelhost {

bool PanelSlots::insert(const std::string& id, const std::string& path, std::string& error) {
    auto existing = slots_.find(id);
    if (existing != slots_.end() && existing->second.path == path) return true;
    std::optional<PanelDefinition> definition = loadPanelDefinition(path, error);
    if (!definition) return false;
    Slot& slot = slots_[id];
    slot.path = path;
    slot.controls = std::move(definition->controls);
    slot.layout = std::move(definition->layout);
    slot.onScreen = false;
    return true;
}

bool PanelSlots::show(const std::string& id, const std::string& path, std::string& error) {
    if (!insert(id, path, error)) return false;
    slots_[id].onScreen = true;
    return true;
}

bool PanelSlots::remove(const std::string& id) {
    Slot* s = slot(id);
    if (!s) return false;
    s->onScreen = false;
    return true;
}

PanelSlots::Slot* PanelSlots::slot(const std::string& id) {
    auto it = slots_.find(id);
    return it == slots_.end() ? nullptr : &it->second;
}

Control* PanelSlots::control(const std::string& id, const std::string& name) {
    Slot* s = slot(id);
    if (!s) return nullptr;
    for (Control& c : s->controls)
        if (c.name == name) return &c;
    return nullptr;
}

}  // namespace vrelhost
