// PanelSlots: the host's panel slots ("1", "2", ...) and the live controls of
// the panel file loaded into each.
//
// PI loads a panel file into a slot, PS loads it if needed and puts the panel
// on screen, PR takes it off the screen. A slot keeps its controls' state for
// as long as it holds the same file, so a panel taken off the screen and shown
// again looks as it was left; loading a different file replaces the controls.
// version() counts the calls that may have changed a slot (every one that
// hands out a slot or control to change), and each slot and control keeps
// the count at which it was last handed out: so a reader that remembers the
// count tells what may have changed since without comparing the rest.
// Owned by the simulated host; one thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "panel_definition.h"

namespace vrelhost {

class PanelSlots {
public:
    struct Slot {
        std::string path;  // the file as the script named it
        std::vector<Control> controls;
        std::map<std::string, std::string> layout;  // the panel's own size, for drawing it
        bool onScreen = false;
        std::uint64_t version = 0;                  // the slot handed out whole, or loaded
        std::vector<std::uint64_t> controlVersions;  // each control handed out, by index
    };

    // False with `error` set when the file cannot be loaded.
    bool insert(const std::string& id, const std::string& path, std::string& error);
    bool show(const std::string& id, const std::string& path, std::string& error);
    // False when the slot holds no panel.
    bool remove(const std::string& id);

    Slot* slot(const std::string& id);
    Control* control(const std::string& id, const std::string& name);
    const Slot* slot(const std::string& id) const;
    const Control* control(const std::string& id, const std::string& name) const;
    const std::map<std::string, Slot>& all() const { return slots_; }
    std::uint64_t version() const { return version_; }

private:
    std::map<std::string, Slot> slots_;
    std::uint64_t version_ = 0;
};

}  // namespace vrelhost
