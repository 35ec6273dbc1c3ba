// vrel_script_helper: the base of every script component.
//
// It keeps the host's callback object and the text the host gave at creation,
// turns each notification kind into a call of one virtual handler (notify), and
// carries the host command set: every operation composes one command text and
// sends it with kind 0 to `host`.
//
// Ownership across the boundary:
//  - a command text is the script's and lives for the one notify() call;
//  - a reply the host returns is the host's: it is copied and the same pointer
//    handed back with kind 5 at once, never freed here;
//  - a parent-command answer is a buffer allocated here; the host hands it back
//    with kind 5 and it is freed here, with the matching deallocator.
//
// `host` may be null: then nothing is sent and every query yields nothing.
// All calls come on the host's thread, one at a time; nothing is locked.
#pragma once

#include <vector>

#include "hostlib/vrel_string.h"
#include "hostlib/vrel_stringlist.h"
#include "decode_vrel_string.h"
#include "runtime/boundary/notify_records.h"
#include "notify_views.h"
#include "runtime/boundary/parsed_command.h"
#include "runtime/boundary/vrel_client_callback.h"

class vrel_script_helper : public vrel_client_callback {
public:
    vrel_script_helper(vrel_client_callback* host, const char* text);
    // Sends the closing command "AS" (when a host is attached): the last text
    // the script ever sends. Derived destructors run their own teardown first.
    ~vrel_script_helper() override;
    vrel_script_helper(const vrel_script_helper&) = delete;
    vrel_script_helper& operator=(const vrel_script_helper&) = delete;

    // The dispatcher: kinds 1 to 7 go to the handlers below; anything else,
    // kind 0 included, is ignored. Returns the parent-command answer for kind 3
    // (null when it is empty) and null for every other kind.
    void* VREL_CALLBACK notify(void* data, int kind) override;

    // Handlers, in the host's slot order. The views live for the one call.
    virtual void onButton(button_notify* button) = 0;
    virtual int onRevertive(revertive_notify* revertive) = 0;
    virtual vrel_string onParent(parent_notify* parent) = 0;
    virtual void onValue(value_notify* value);
    virtual int onTimer(int id) = 0;
    virtual void onDatabase(database_notify* database);

    // Panel and control commands.
    void disableControl(const vrel_string& panel, const vrel_string& control);
    void enableControl(const vrel_string& panel, const vrel_string& control);
    void hideControl(const vrel_string& panel, const vrel_string& control);
    void showControl(const vrel_string& panel, const vrel_string& control);
    // The panel-file commands report whether the host accepted (true when no host).
    bool insertPanel(const vrel_string& panel, const vrel_string& file, const vrel_string& extra = vrel_string());
    bool showPanel(const vrel_string& panel, const vrel_string& file, const vrel_string& extra = vrel_string());
    bool removePanel(const vrel_string& panel);
    void setControlProperty(const vrel_string& property, const vrel_string& value, const vrel_string& panel,
                            const vrel_string& control);
    void setControlText(const vrel_string& text, const vrel_string& panel, const vrel_string& control);
    // `result` becomes the property's value, or empty when the host does not
    // answer or answers for another property (that also writes a diagnostic).
    void getControlText(const vrel_string& property, const vrel_string& panel, const vrel_string& control,
                        vrel_string& result);

    // Diagnostics to the platform's debug channel; never to the host.
    static void debugOut(const vrel_string& text);
    // Fills the markers %1 ... %9 of `format` with the values, in one pass: a
    // marker inside an inserted value is left as it stands.
    static void debugOut(const vrel_string& format, const vrel_string& value1,
                         const vrel_string& value2 = vrel_string(), const vrel_string& value3 = vrel_string(),
                         const vrel_string& value4 = vrel_string(), const vrel_string& value5 = vrel_string(),
                         const vrel_string& value6 = vrel_string(), const vrel_string& value7 = vrel_string(),
                         const vrel_string& value8 = vrel_string(), const vrel_string& value9 = vrel_string());

    // Device, database and timer commands.
    bool lookupDevice(const vrel_string& name, int* device, int* offset);
    vrel_stringlist queryInstances(const vrel_string& panel, const vrel_string& pattern);
    void pollInfodriver(int device, int first, int last);
    void registerInfodriver(int device, int first, int last, bool add = false);
    void unregisterInfodriver(int device);
    void writeInfodriver(int device, const vrel_string& value, int slot, bool flag = false);
    void registerRouter(int device, int first, int last, bool add = false);
    void modifyDatabase(int device, int database, int index, const vrel_string& text, bool flag = false);
    // `result` keeps its previous content when there is no host or no reply.
    void readDatabaseName(int device, int database, int index, vrel_string& result);
    void startTimer(int id, int interval);
    void stopTimer(int id);

    // Applies one action to every "alm_" control of panel "1" (see alarm_actions.cpp).
    void alarmAction(const vrel_string& action);

protected:
    vrel_client_callback* const host;  // not owned; may be null
    vrel_string basePath;              // the creation text; prefixes panel files
    bool alarmActions;                 // route "ActionAll"/"AckAll" presses to alarmAction

private:
    // Sends one command text; returns the host's reply or status (not read here).
    void* send(const char* text);
    // Sends a query and copies its reply, handing the reply back at once.
    // Returns false when there is no host or the reply is null.
    bool query(const char* text, vrel_string& reply);
    // Hands a host reply back with kind 5 so that the host frees it.
    void handBack(void* reply);
    // Frees a parent-command answer the host handed back with kind 5.
    void releaseAnswer(void* answer);
    void* dispatch(void* data, int kind);
    void* dispatchParent(const char* text);
    void dispatchButton(button_notify* button);

    // Parent-command answers handed to the host and not yet handed back. Kind 5
    // frees only these, so a stray or repeated pointer can never be freed. A
    // host hands each answer back at once, so the list stays a few entries
    // long and, once grown, answering allocates nothing but the answer.
    std::vector<void*> outstandingAnswers_;
};
