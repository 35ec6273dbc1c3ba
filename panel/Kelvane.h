// Kelvane: the name-display panel.
//
// Lets an operator edit the names that under-monitor displays show for the 128
// router sources, keep eight name sets with titles, choose which set the
// displays show, and set their brightness. One object per panel instance,
// created by load_vrel_client_script; the constructor runs the whole start-up
// and the destructor the teardown. Every call comes on the host's thread, one
// at a time; nothing is locked.
//
// Ownership: the panel owns its name tables, its texts and its configuration
// entry; they live and die with it. Panels, controls, devices, databases and
// timers are the host's: the panel only names them in its commands. Texts the
// host returns are copied into the panel's own strings before they go back.
//
// Two panels: "1", the selector (which name set the displays show, brightness,
// the set titles), and "2", the editor (source names and set titles). The
// source files are split by concern: startup.cpp (construction, teardown),
// edit_fields.cpp (operations the handlers share), buttons.cpp, timers.cpp,
// revertives.cpp, database_changes.cpp, parent_commands.cpp.
#pragma once

#include "hostlib/vrel_config.h"
#include "runtime/vrel_script_helper.h"

class Kelvane : public vrel_script_helper {
public:
    // A name table is indexed by the database entry itself: entry 0 is never filled.
    static constexpr int tableSize = 129;
    using NameTable = vrel_string[tableSize];

    // Start-up: loads both panels, looks up the devices, reads the name
    // driver's device from the site configuration, reads all 1,288 names and
    // titles, draws the first state and registers for the tally slots and the
    // name driver's entries.
    Kelvane(vrel_client_callback* host, const char* text);
    // Unregisters from the tally infodriver and stops the timers still running;
    // the base then sends its closing command.
    ~Kelvane() override;

    void onButton(button_notify* button) override;
    int onRevertive(revertive_notify* revertive) override;
    vrel_string onParent(parent_notify* parent) override;
    int onTimer(int id) override;
    void onDatabase(database_notify* database) override;

private:
    // One operator action per control (buttons.cpp).
    void chooseNameSet(const button_notify& button);
    void setBrightness(const button_notify& button);
    void confirmChoice(const button_notify& button);
    void openEditor(const button_notify& button);
    void pageSourceList(const button_notify& button);
    void beginNameEdit(const button_notify& button);
    void keyboardKey(const button_notify& button);
    void cancelEdit(const button_notify& button);
    void writeEdit(const button_notify& button);
    void showNameSet(const button_notify& button);
    void beginTitleEdit(const button_notify& button);
    void returnToSelector(const button_notify& button);
    void takeTypedText();
    void limitTypedText();

    // Timer ticks (timers.cpp).
    void confirmationTick();
    void flashTick();

    // Operations the handlers share (edit_fields.cpp).
    void lockSelectors();
    // Enables the selectors lockSelectors disabled. The end of an edit enables
    // the title field after the name-set buttons, "Update" before them: both
    // orders are part of the panel's command sequence.
    enum class TitlePlace { afterNameSets, beforeNameSets };
    void unlockSelectors(TitlePlace title);
    void selectCurrentNames();
    void endEdit();
    void showEditFields();
    void hideEditFields();

    // Start-up steps (startup.cpp).
    void lookUpDevices();
    void readNameTables();
    void drawFirstState();
    void registerForChanges();

    // Table k of name sets 1 to 8.
    NameTable& nameSetTable(int nameSet) { return nameSetNames[nameSet - 1]; }
    // The title of name set 0 to 8; set 0's is fixed (startup.cpp).
    const vrel_string& titleOf(int nameSet) const;

    int routerDevice;      // "StC SDI Router"; 0 when the lookup failed
    int tallyDevice;       // "CTA Tally Infodriver": slot 211 brightness, 212 the name set in use
    int namesDevice;       // the UMD name driver: databases 1 to 8 name sets, 9 their titles
    int brightness;        // level shown highlighted (1 to 3), 0 before the first report
    int liveNameSet;       // name set the displays show (0 to 8), as last reported
    int pendingNameSet;    // chosen with "Select_", waiting for "Confirm"
    int confirmCountdown;  // timer-1 ticks left before a pending choice lapses
    int currentNameSet;    // name set (1 to 8) shown and edited on panel "2"
    int editIndex;         // source (0 to 128) whose name is being edited
    int maxEditLength;     // longest text the keyboard may hold in the open edit
    int flashCount;        // timer-2 ticks left while "Cancel" and "Update" flash
    bool selectionPending; // a choice waits for "Confirm"; timer 1 runs
    bool editingTitle;     // the open edit is the current set's title
    bool editing;          // an edit is open on panel "2"
    vrel_config config;    // the site setting read at start-up
    vrel_string* currentNames;  // not owned: the nameSetNames table of currentNameSet
    NameTable routerDb0Names;   // router database 0: shown in "LongName" while editing
    NameTable routerDb2Names;   // router database 2: read at start-up only
    NameTable nameSetNames[8];  // name sets 1 to 8, in tables 0 to 7
    vrel_string nameSetTitles[9];  // 1 to 8: database 9; 0 stays empty (see titleOf)
    vrel_string editText;  // the open edit's text: the old name, then what was typed
    vrel_string myParam;   // parent parameter "myParam"
    vrel_string instance;  // parent parameter "instance"
};
