// Device, database and timer commands. Texts are composed with command_text,
// so no number or name is ever cut short, and every field is joined by
// concatenation: a "%" or "%1" inside a name reaches the host as typed.
#include "hostlib/debug_output.h"
#include "command_text.h"
#include "vrel_script_helper.h"

namespace {

command_text numbers(const char* code, std::initializer_list<int> values) {
    command_text text(code);
    for (int v : values) text.add(" ").add(v);
    return text;
}

const char* flagText(bool flag) { return flag ? "1" : "0"; }

constexpr unsigned maxInfodriverValue = 256;

}  // namespace

bool vrel_script_helper::lookupDevice(const vrel_string& name, int* device, int* offset) {
    if (device) *device = 0;
    if (offset) *offset = 0;
    if (!host) return false;
    void* reply = send(command_text("SD '").add(name).add("'").c_str());
    if (!reply) return false;
    {
        decodeVRELString tokens(static_cast<const char*>(reply), '\'');
        // atoi's rule, but without its undefined overflow on a reply out of range.
        if (device) *device = vrel_string(tokens.token[0]).toInt();
        if (offset) *offset = vrel_string(tokens.token[1]).toInt();
    }
    handBack(reply);
    return true;  // any non-null reply counts, whatever its tokens hold
}

vrel_stringlist vrel_script_helper::queryInstances(const vrel_string& panel, const vrel_string& pattern) {
    vrel_string reply;
    if (!query(command_text("XI '").add(panel).add("' '").add(pattern).add("'").c_str(), reply))
        return vrel_stringlist();
    return vrel_stringlist(reply, ',');
}

void vrel_script_helper::pollInfodriver(int device, int first, int last) {
    send(numbers("IP", {device, first, last}).c_str());
}

void vrel_script_helper::registerInfodriver(int device, int first, int last, bool add) {
    send(numbers("IR", {device, first, last}).add(add ? " 'ADD'" : "").c_str());
}

void vrel_script_helper::unregisterInfodriver(int device) { send(numbers("IU", {device}).c_str()); }

void vrel_script_helper::writeInfodriver(int device, const vrel_string& value, int slot, bool flag) {
    // The host takes at most 256 characters; say so, but send the value whole.
    if (value.length() > maxInfodriverValue) debugOut("The IW string is too long (max 256 chars)\n");
    send(numbers("IW", {device}).add(" '").add(value).add("' ").add(slot).add(" ").add(flagText(flag)).c_str());
}

void vrel_script_helper::registerRouter(int device, int first, int last, bool add) {
    send(numbers("RR", {device, first, last}).add(add ? " 'ADD'" : "").c_str());
}

void vrel_script_helper::modifyDatabase(int device, int database, int index, const vrel_string& text, bool flag) {
    command_text command = numbers("RM", {device, database, index});
    command.add(" '").add(text).add("' ").add(flagText(flag));
    send(command.c_str());
    // Every rename leaves one line in the debug output, with or without a host:
    // the plain debug output, the command text and a line end.
    vrel::debugWrite(command.add("\n").c_str());
}

void vrel_script_helper::readDatabaseName(int device, int database, int index, vrel_string& result) {
    if (!host) return;
    void* reply = send(numbers("RN", {device, database, index}).c_str());
    if (reply) result = vrel_string(static_cast<const char*>(reply));
    // Handed back even when null: hosts count one kind 5 per RN.
    handBack(reply);
}

void vrel_script_helper::startTimer(int id, int interval) {
    // Interval 0 sends the id alone, the same text as stopTimer.
    send((interval != 0 ? numbers("ET", {id, interval}) : numbers("ET", {id})).c_str());
}

void vrel_script_helper::stopTimer(int id) { send(numbers("ET", {id}).c_str()); }
