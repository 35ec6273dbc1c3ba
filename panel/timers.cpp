// Timer ticks. Timer 1 is the window in which a chosen name set must be
// confirmed; timer 2 flashes "Cancel" and "Update" and drops the edit when
// neither is pressed in time. The handler counts ticks and never starts a timer.
#include "Kelvane.h"
#include "panel_names.h"
#include "prepared_texts.h"

using namespace panel_names;
using namespace prepared;

int Kelvane::onTimer(int id) {
    if (id == confirmTimer)
        confirmationTick();
    else if (id == flashTimer)
        flashTick();
    else
        stopTimer(id);  // not one of ours: stop it rather than keep receiving it
    return 0;
}

void Kelvane::confirmationTick() {
    // Only the tick that reaches 0 acts: late ticks after a confirmation or a
    // lapse run the count below 0 and send nothing.
    if (--confirmCountdown != 0) return;
    disableControl(str<selectorPanel>(), str<confirm>());
    setControlProperty(str<statesheet>(), str<deselected>(), str<selectorPanel>(),
                       numberedName<selectPrefix>(pendingNameSet));
    stopTimer(confirmTimer);
    selectionPending = false;  // the choice lapses unwritten
}

void Kelvane::flashTick() {
    --flashCount;
    const bool even = flashCount % 2 == 0;
    const vrel_string& low = str<takeLow>();
    const vrel_string& high = str<takeHigh>();
    setControlProperty(str<statesheet>(), even ? low : high, str<editorPanel>(), str<cancel>());
    setControlProperty(str<statesheet>(), even ? high : low, str<editorPanel>(), str<update>());
    if (flashCount != 0) return;
    // endEdit stops timer 2 again: the host sees ET 2 twice, which is harmless.
    stopTimer(flashTimer);
    endEdit();  // as if "Cancel" had been pressed: nothing is written
}
