// SourceBrowser: a panel that shows the video router's source names, eight to
// a page, and lets an operator page through all 128 with "Prev" and "Next".
// A name the router's database changes while it is on screen is redrawn.
//
// The smallest complete script on the kit: a class deriving from
// vrel_script_helper, its handlers, and the export in source_browser.cpp.
// One object per panel instance, created by the host through the export and
// destroyed by it; every call comes on the host's thread, one at a time.
//
// Ownership: the names are copied into the object's own table; the records the
// handlers receive are the host's and live for the one call.
#pragma once

#include "runtime/vrel_script_helper.h"

class SourceBrowser : public vrel_script_helper {
public:
    static constexpr int sourceCount = 128;
    static constexpr int pageSize = 8;
    static constexpr int pageCount = sourceCount / pageSize;

    // Loads the panel, finds the router, reads its 128 source names, draws the
    // first page and asks to hear of renames.
    SourceBrowser(vrel_client_callback* host, const char* panelFolder);

    void onButton(button_notify* button) override;
    int onRevertive(revertive_notify* revertive) override;
    vrel_string onParent(parent_notify* parent) override;
    int onTimer(int id) override;
    void onDatabase(database_notify* database) override;

private:
    void turnTo(int page);
    void drawName(int source);

    int router = 0;  // the router's device number; 0 when the lookup failed
    int page = 0;    // 0 to pageCount - 1
    vrel_string names[sourceCount + 1];  // by source number; entry 0 unused
};
