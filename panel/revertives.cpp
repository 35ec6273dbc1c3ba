// Revertives of the tally infodriver. The selector panel shows the brightness
// (slot 211) and the name set in use (slot 212) only as the infodriver reports
// them; the buttons merely write the slots.
#include "Kelvane.h"
#include "panel_names.h"
#include "prepared_texts.h"

using namespace panel_names;
using namespace prepared;

int Kelvane::onRevertive(revertive_notify* revertive) {
    if (revertive->device() != tallyDevice) return 0;
    const vrel_string reported = revertive->text();
    const int value = reported.toInt();
    if (revertive->index() == brightnessSlot) {
        if (value < 1 || value > 3) return 0;
        // Sent even when the level is already shown: off, then on again.
        if (brightness != 0)
            setControlProperty(str<statesheet>(), str<deselected>(), str<selectorPanel>(),
                               numberedName<brightnessPrefix>(brightness));
        brightness = value;
        // Named from the level, not from the raw text: a report such as "02" or
        // " 2" must light "UMDBright_2", the button the next report turns off.
        setControlProperty(str<statesheet>(), str<selected>(), str<selectorPanel>(),
                           numberedName<brightnessPrefix>(brightness));
    } else if (revertive->index() == liveNameSetSlot) {
        if (value < 0 || value > nameSetCount) return 0;
        liveNameSet = value;
        setControlProperty(str<text>(), titleOf(liveNameSet), str<selectorPanel>(), str<current>());
    }
    return 0;
}
