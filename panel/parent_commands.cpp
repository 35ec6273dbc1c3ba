// Parameter commands from the parent panel: set and query "myParam", store
// "instance", and list the events and commands the panel offers. Sends nothing
// to the host; an empty answer reaches the host as a null pointer.
#include <string_view>

#include "Kelvane.h"

vrel_string Kelvane::onParent(parent_notify* parent) {
    // Read in place (the split record always holds both texts); copied only
    // where a value is kept.
    const std::string_view command = parent->record->command;
    const std::string_view value = parent->record->value;
    if (command == "return") {
        // Both queries answer "myParam={value}"; "instance" is stored but never reported.
        if (value == "all" || value == "myParam") return "myParam=" + myParam;
    } else if (command == "instance" && value != instance.str()) {
        instance = parent->value();
    } else if (command == "myParam") {
        myParam = parent->value();  // a bare "myParam" empties it
    } else if (command == "_events") {
        return vrel_string("notify=*");
    } else if (command == "_commands") {
        return vrel_string("myParam=[value]");
    }
    return vrel_string();
}
