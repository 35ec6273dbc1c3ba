// Start-up and teardown of the name-display panel. The order of the commands
// is what hosts rely on: panels first, then the lookups, the 1,288 name reads,
// the first drawing, and the registrations last.
#include "Kelvane.h"
#include "panel_names.h"
#include "prepared_texts.h"

using namespace panel_names;
using prepared::str;

Kelvane::Kelvane(vrel_client_callback* hostCallback, const char* creationText)
    : vrel_script_helper(hostCallback, creationText),
      routerDevice(0),
      tallyDevice(0),
      namesDevice(0),
      brightness(0),
      liveNameSet(0),
      pendingNameSet(0),
      confirmCountdown(0),
      currentNameSet(1),
      editIndex(0),
      maxEditLength(0),
      flashCount(0),
      selectionPending(false),
      editingTitle(false),
      editing(false),
      currentNames(nameSetTable(1)) {
    insertPanel(str<selectorPanel>(), str<selectorFile>());
    insertPanel(str<editorPanel>(), str<editorFile>());
    hideEditFields();
    lookUpDevices();
    readNameTables();
    drawFirstState();
    registerForChanges();
}

Kelvane::~Kelvane() {
    unregisterInfodriver(tallyDevice);
    if (selectionPending) stopTimer(confirmTimer);
    // A flashing edit would go on ticking into a script that no longer exists.
    if (editing && flashCount > 0) stopTimer(flashTimer);
}

void Kelvane::lookUpDevices() {
    lookupDevice(str<routerInstance>(), &routerDevice, nullptr);
    lookupDevice(str<tallyInstance>(), &tallyDevice, nullptr);
    lookupDevice(str<namesInstance>(), &namesDevice, nullptr);
    // The site setting decides which device is the name driver, whatever the
    // lookup found (note the key says "StA", the instance name "StC").
    config = vrel_config(namesDeviceSetting);
    namesDevice = config.attr(settingValue).toInt();
}

void Kelvane::readNameTables() {
    for (int i = 1; i <= sourceCount; ++i) readDatabaseName(routerDevice, routerLongNames, i, routerDb0Names[i]);
    for (int i = 1; i <= sourceCount; ++i) readDatabaseName(routerDevice, routerShortNames, i, routerDb2Names[i]);
    for (int k = 1; k <= nameSetCount; ++k) {
        NameTable& names = nameSetTable(k);
        for (int i = 1; i <= sourceCount; ++i) readDatabaseName(namesDevice, k, i, names[i]);
    }
    for (int k = 1; k <= nameSetCount; ++k) readDatabaseName(namesDevice, titleDatabase, k, nameSetTitles[k]);
}

// Set 0's title is the same text in every panel: one shared copy, rather than
// a heap copy per panel (it is longer than a string keeps inline).
const vrel_string& Kelvane::titleOf(int nameSet) const {
    return nameSet == 0 ? str<matrixShortNames>() : nameSetTitles[nameSet];
}

void Kelvane::drawFirstState() {
    showPanel(str<selectorPanel>(), str<selectorFile>());
    for (int k = 1; k <= nameSetCount; ++k)
        setControlProperty(str<text>(), nameSetTitles[k], str<selectorPanel>(), prepared::numberedName<titlePrefix>(k));
    disableControl(str<editorPanel>(), str<keyboard>());
    setControlText(str<firstSourcePage>(), str<editorPanel>(), str<sourceGroup>());
    setControlProperty(str<statesheet>(), str<selected>(), str<editorPanel>(), prepared::numberedName<nameSetPrefix>(1));
    currentNameSet = 1;
    currentNames = nameSetTable(1);
    setControlProperty(str<text>(), nameSetTitles[1], str<editorPanel>(), str<nameSetTitle>());
    disableControl(str<editorPanel>(), str<cancel>());
    disableControl(str<editorPanel>(), str<update>());
}

void Kelvane::registerForChanges() {
    registerInfodriver(tallyDevice, brightnessSlot, liveNameSetSlot);
    pollInfodriver(tallyDevice, brightnessSlot, liveNameSetSlot);
    registerRouter(namesDevice, 1, sourceCount);
}
