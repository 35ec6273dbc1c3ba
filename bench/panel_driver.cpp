#include "panel_driver.h"

#include <cstdio>

#include "Kelvane.h"
#include "scenario.h"

PanelDriver::PanelDriver(PreparedHost& host, int namesDevice)
    : host_(host),
      panel_(new Kelvane(&host, "")),
      sourcePicked_("2", "SrcName", "index=17"),
      key_("2", "KB_1", "key.X"),
      keyReturn_("2", "KB_1", "key.return"),
      update_("2", "Update", "button=released"),
      brightness_{{PreparedHost::tallyDevice, 211, scenario::brightnessLevels[0]},
                  {PreparedHost::tallyDevice, 211, scenario::brightnessLevels[1]}},
      titleRenamed_(namesDevice, 9, scenario::liveNameSet, scenario::renamedTitle) {
    static_assert(scenario::renamedSource == 17, "the source picked is spelled out above");
    char live[4];
    std::snprintf(live, sizeof live, "%d", scenario::liveNameSet);
    RevertiveEvent liveSet(PreparedHost::tallyDevice, 212, live);
    send(liveSet.data(), vrel_kind::revertive);
    send(const_cast<char*>(scenario::parentSetting), vrel_kind::parent);
    brightnessRevertive();  // from now on every report turns one level off and one on
}

PanelDriver::~PanelDriver() { vrel_destroy_script(panel_); }

void PanelDriver::send(void* data, int kind) { panel_->notify(data, kind); }

void PanelDriver::renameRoundTrip() {
    send(sourcePicked_.data(), vrel_kind::button);
    for (int key = 0; key < scenario::keys; ++key) {
        host_.setControlReply(scenario::keyboardAfterKey[key]);
        send(key_.data(), vrel_kind::button);
    }
    send(keyReturn_.data(), vrel_kind::button);
    send(update_.data(), vrel_kind::button);
}

void PanelDriver::brightnessRevertive() {
    send(brightness_[nextLevel_].data(), vrel_kind::revertive);
    nextLevel_ ^= 1;
}

void PanelDriver::titleChange() { send(titleRenamed_.data(), vrel_kind::database); }

void PanelDriver::parentQuery(std::string* answerCopy) {
    void* answer = panel_->notify(const_cast<char*>(scenario::parentQuery), vrel_kind::parent);
    if (answerCopy) *answerCopy = answer ? static_cast<const char*>(answer) : "(null)";
    send(answer, vrel_kind::release);  // the host is done with it
}
