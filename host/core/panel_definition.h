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
//
// Where things are drawn is kept apart from the properties, so the script
// never sees it (TG "all" lists the same properties with or without it):
// x=, y=, w=, h= (pixels from the panel's top left) place a control, and a
// line "@panel w=W h=H" gives the panel's own size. A list names what fills
// its rows with source= (the role of a site device), database= (a number, or
// PREFIX@LOOK: the number ending the name of the PREFIX control that shows
// LOOK) and lines= (rows per page); a group takes pages= (its page buttons).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vrelhost {

// The keys that place and fill a control instead of being its properties.
bool isLayoutKey(const std::string& key);

struct Control {
    std::string name;
    std::map<std::string, std::string> properties;
    std::map<std::string, std::string> layout;  // x, y, w, h, source, database, lines, pages

    std::string property(const std::string& key) const;
    bool enabled() const { return property("enabled") != "0"; }
    bool visible() const { return property("visible") != "0"; }
};

struct PanelDefinition {
    std::vector<Control> controls;  // in the order of the file
    std::map<std::string, std::string> layout;  // the "@panel" line: w, h
};

// Parses the text of a panel file; `error` gets "line N: reason".
std::optional<PanelDefinition> parsePanelDefinition(const std::string& text, std::string& error);
// Reads and parses a panel file; `error` names the file.
std::optional<PanelDefinition> loadPanelDefinition(const std::string& path, std::string& error);

}  // namespace vrelhost
