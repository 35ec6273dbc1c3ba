// Alarm actions: one action applied to every "alm_" control of panel "1".
// Only scripts that set alarmActions get their "ActionAll"/"AckAll" presses
// taken here; the name-display panel leaves it off.
#include "vrel_script_helper.h"

namespace {

constexpr int noLevel = -1;
constexpr int ackLevel = 4;

// "ack" is an acknowledgement; a one-character action is a level; anything
// else only sets the "alarm" property.
int levelOf(const vrel_string& action) {
    if (action == "ack") return ackLevel;
    if (action.length() == 1) return action.toInt();
    return noLevel;
}

// Acknowledging leaves these codes alone; every other code becomes 4.
bool keptOnAck(int code) { return code == 0 || (code >= 2 && code <= 5); }

}  // namespace

void vrel_script_helper::dispatchButton(button_notify* button) {
    if (alarmActions) {
        const vrel_string id = button->id();
        if (id == "ActionAll" && button->command() == "alarm") {
            alarmAction(button->value());
            return;
        }
        if (id == "AckAll") {
            alarmAction("4");
            return;
        }
    }
    onButton(button);
}

void vrel_script_helper::alarmAction(const vrel_string& action) {
    const int level = levelOf(action);
    // Fetched anew for every action: the instances may change between presses.
    const vrel_stringlist instances = queryInstances("1", "alm_");
    for (const vrel_string& name : instances) {
        setControlProperty("alarm", action, "1", name);
        if (level == ackLevel) {
            vrel_string current;
            getControlText("value", "1", name, current);
            if (!keptOnAck(current.toInt())) setControlProperty("value", "4", "1", name);
        } else if (level != noLevel) {
            setControlProperty("value", vrel_string(level, 0, 0, 10), "1", name);
        }
    }
}
