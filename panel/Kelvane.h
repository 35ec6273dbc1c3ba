// Kelvane: the name-display panel.
//
// Lets an operator edit the names that under-monitor displays show for the 128
// router sources, keep eight name sets with titles, choose which set the
// displays show, and set their brightness. One object per panel instance,
// created by load_vrel_client_script; the constructor runs the whole start-up
// and the destructor the teardown. Every call comes on the host's thread.
#pragma once

#include "../runtime/vrel_script_helper.h"

class Kelvane : public vrel_script_helper {
public:
    Kelvane(vrel_client_callback* host, const char* text);
    ~Kelvane() override;

    void onButton(button_notify* button) override;
    int onRevertive(revertive_notify* revertive) override;
    vrel_string onParent(parent_notify* parent) override;
    int onTimer(int id) override;
    void onDatabase(database_notify* database) override;
};
