// Parameter commands from the parent panel: set and query "myParam", store
// "instance", and list the events and commands the panel offers. Sends nothing
// to the host; an empty answer reaches the host as a null pointer.
#include "Kelvane.h"

vrel_string Kelvane::onParent(parent_notify* parent) {
    const vrel_string command = parent->command();
    const vrel_string value = parent->value();
    if (command == "return") {
        // Both queries answer "myParam={value}"; "instance" is stored but never reported.
        if (value == "all" || value == "myParam") return "myParam=" + myParam;
    } else if (command == "instance" && value != instance) {
        instance = value;
    } else if (command == "myParam") {
        myParam = value;  // a bare "myParam" empties it
    } else if (command == "_events") {
        return vrel_string("notify=*");
    } else if (command == "_commands") {
        return vrel_string("myParam=[value]");
    }
    return vrel_string();
}
