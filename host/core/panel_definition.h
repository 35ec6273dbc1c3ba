// Panel definitions: the controls of a panel file (*.vrel_ui) and their
// initial properties.
//
// The file lists one control per line: its name, then property=value pairs
// separated by blanks; a value with blanks is written in double quotes
// ("Name set"), and \" or \\ inside quotes stand for the character itself.
// Blank lines and lines starting with # are ignored.
//
//   # a button that starts disabled
//   Confirm  type=button text=Confirm statesheet=KRSourceDeselected enabled=0
//
// Every control has the properties "enabled" and "visible" ("1" or "0",
// default "1"), "text" and "statesheet" (the look; default empty). Any other
// property a panel sets later is simply added.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vrelhost {

struct Control {
    std::string name;
    std::map<std::string, std::string> properties;

    std::string property(const std::string& key) const;
    bool enabled() const { return property("enabled") != "0"; }
    bool visible() const { return property("visible") != "0"; }
};

struct PanelDefinition {
    std::vector<Control> controls;  // in the order of the file
};

// Parses the text of a panel file; `error` gets "line N: reason".
std::optional<PanelDefinition> parsePanelDefinition(const std::string& text, std::string& error);
// Reads and parses a panel file; `error` names the file.
std::optional<PanelDefinition> loadPanelDefinition(const std::string& path, std::string& error);

}  // namespace vrelhost
