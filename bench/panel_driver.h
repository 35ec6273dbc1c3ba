// PanelDriver: one started panel and the host notifications that the
// benchmarks replay against it, prepared once so that replaying them only
// passes pointers to the panel's notify().
//
// The driver owns the panel (created as load_vrel_client_script creates it,
// destroyed in the destructor) and the records; the host is the caller's and
// must outlive the driver.
#pragma once

#include <string>

#include "host_events.h"
#include "prepared_host.h"

class vrel_script_helper;

class PanelDriver {
public:
    // Starts a panel and brings it to the scenario's state: the live name set
    // reported, the parent's parameter set, one brightness level shown.
    PanelDriver(PreparedHost& host, int namesDevice);
    ~PanelDriver();
    PanelDriver(const PanelDriver&) = delete;
    PanelDriver& operator=(const PanelDriver&) = delete;

    void renameRoundTrip();
    // Reports the scenario's two brightness levels in turn, one per call.
    void brightnessRevertive();
    void titleChange();
    // Asks "return=all" and hands the answer back; `answerCopy`, when given,
    // receives the answer first.
    void parentQuery(std::string* answerCopy = nullptr);

private:
    void send(void* data, int kind);

    PreparedHost& host_;
    vrel_script_helper* panel_;
    ButtonEvent sourcePicked_;
    ButtonEvent key_;
    ButtonEvent keyReturn_;
    ButtonEvent update_;
    RevertiveEvent brightness_[2];
    DatabaseEvent titleRenamed_;
    int nextLevel_ = 0;
};
