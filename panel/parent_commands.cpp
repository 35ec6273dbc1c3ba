// Parameter commands from the parent panel: set and query "myParam", store
// "instance", and list the events and commands the panel offers. Sends nothing
// to the host; an empty answer reaches the host as a null pointer.
#include "Kelvane.h"

vrel_string Kelvane::onParent(parent_notify* parent) {
    const vrel_string command = parent->command();
    const vrel_string value = parent->value();
    vrel_stringlist answer;
    if (command == "return") {
        if (value == "all")
            answer << vrel_string("myParam=%1").arg(myParam);
        else if (value == "myParam")
            answer << vrel_string("%1=%2").arg(value).arg(myParam);
        // "instance" is stored but never reported.
    } else if (command == "instance" && value != instance) {
        instance = value;
    } else if (command == "myParam") {
        myParam = value;  // a bare "myParam" empties it
    } else if (command == "_events") {
        answer << vrel_string("notify=*");
    } else if (command == "_commands") {
        answer << vrel_string("myParam=[value]");
    }
    return answer.toString('\n');
}
