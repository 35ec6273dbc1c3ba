#include "floors.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "debug_output.h"
#include "scenario.h"

namespace {

constexpr std::size_t textSize = 256;

__attribute__((format(printf, 2, 3))) void* send(PreparedHost& host, const char* format, ...) {
    char text[textSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return host.notify(text, vrel_kind::command);
}

void handBack(PreparedHost& host, void* reply) { host.notify(reply, vrel_kind::release); }

// SD: the device number is the reply's first field.
int lookup(PreparedHost& host, const char* name) {
    void* reply = send(host, "SD '%s'", name);
    if (!reply) return 0;
    const int device = std::atoi(static_cast<const char*>(reply));
    handBack(host, reply);
    return device;
}

// RN: the reply is only looked at by the caller's `keep`, if any; it is handed
// back in every case, null included, as the component does.
void readName(PreparedHost& host, int device, int database, int index, char* keep = nullptr) {
    void* reply = send(host, "RN %d %d %d", device, database, index);
    if (keep && reply) std::snprintf(keep, textSize, "%s", static_cast<const char*>(reply));
    handBack(host, reply);
}

const char* const editFields[] = {"L1", "L2", "L3", "L4", "Nameset_id", "LongName", "PreEdit", "PostEdit"};

void controlAll(PreparedHost& host, const char* code, const char* const* controls, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) send(host, "%s '2' '%s'", code, controls[i]);
}

void editFieldsTo(PreparedHost& host, const char* code) { controlAll(host, code, editFields, 8); }

void nameSetButtons(PreparedHost& host, const char* code) {
    for (int k = 1; k <= 8; ++k) send(host, "%s '2' 'NameSet_%d'", code, k);
}

}  // namespace

namespace floors {

void startup(PreparedHost& host, int namesDevice) {
    send(host, "PI '1' '%s'", "Selector.vrel_ui");
    send(host, "PI '2' '%s'", "NameEdit.vrel_ui");
    editFieldsTo(host, "CH");
    const int router = lookup(host, "StC SDI Router");
    const int tally = lookup(host, "CTA Tally Infodriver");
    lookup(host, "StC_UMD_Names_DriverID");  // the configuration overrides it
    for (int i = 1; i <= 128; ++i) readName(host, router, 0, i);
    for (int i = 1; i <= 128; ++i) readName(host, router, 2, i);
    for (int set = 1; set <= 8; ++set)
        for (int i = 1; i <= 128; ++i) readName(host, namesDevice, set, i);
    char titles[9][textSize];
    for (int set = 1; set <= 8; ++set) {
        titles[set][0] = '\0';
        readName(host, namesDevice, 9, set, titles[set]);
    }
    send(host, "PS '1' '%s'", "Selector.vrel_ui");
    for (int set = 1; set <= 8; ++set) send(host, "TP 'text=%s' '1' 'Names_%d'", titles[set], set);
    send(host, "CD '2' '%s'", "KB_1");
    send(host, "TP '%s' '2' '%s'", "button.001=released", "SrcGroup");
    send(host, "TP 'statesheet=%s' '2' '%s'", "KRSourceSelected", "NameSet_1");
    send(host, "TP 'text=%s' '2' '%s'", titles[1], "NamesetName");
    send(host, "CD '2' '%s'", "Cancel");
    send(host, "CD '2' '%s'", "Update");
    send(host, "IR %d %d %d", tally, 211, 212);
    send(host, "IP %d %d %d", tally, 211, 212);
    send(host, "RR %d %d %d", namesDevice, 1, 128);
}

void renameRoundTrip(PreparedHost& host, int namesDevice) {
    const int set = scenario::editedNameSet;
    const int source = scenario::renamedSource;
    static const char* const selectors[] = {"SrcGroup", "SrcName", "Nameset_Select"};
    char text[textSize];

    // The source picked: selectors locked, edit fields shown and filled.
    controlAll(host, "CD", selectors, 3);
    nameSetButtons(host, "CD");
    send(host, "CD '2' '%s'", "NamesetName");
    editFieldsTo(host, "CS");
    send(host, "TP 'text=%d' '2' '%s'", set, "Nameset_id");
    send(host, "TP 'text=%s' '2' '%s'", host.name(0, source), "LongName");
    send(host, "TP 'text=%s' '2' '%s'", host.name(set, source), "PreEdit");
    send(host, "TP 'text=%s' '2' '%s'", "", "PostEdit");
    send(host, "TP 'text=%s' '2' '%s'", host.name(set, source), "KB_1");
    send(host, "CE '2' '%s'", "KB_1");

    // Eight keys: the keyboard's text read back and cut to 8 characters.
    for (int key = 0; key < scenario::keys; ++key) {
        host.setControlReply(scenario::keyboardAfterKey[key]);
        void* reply = send(host, "TG '2' '%s' '%s'", "KB_1", "text");
        const bool tooLong = reply && std::strlen(static_cast<const char*>(reply) + 5) > 8;
        if (tooLong) std::snprintf(text, sizeof text, "TP 'text=%.8s' '2' 'KB_1'", static_cast<const char*>(reply) + 5);
        handBack(host, reply);
        if (tooLong) host.notify(text, vrel_kind::command);
    }

    // "return": the text taken, Cancel and Update flash.
    void* reply = send(host, "TG '2' '%s' '%s'", "KB_1", "text");
    std::snprintf(text, sizeof text, "TP 'text=%s' '2' 'PostEdit'", static_cast<const char*>(reply) + 5);
    handBack(host, reply);
    host.notify(text, vrel_kind::command);
    send(host, "CD '2' '%s'", "KB_1");
    send(host, "CE '2' '%s'", "Cancel");
    send(host, "CE '2' '%s'", "Update");
    send(host, "TP 'statesheet=%s' '2' '%s'", "KR_TakeLow", "Cancel");
    send(host, "TP 'statesheet=%s' '2' '%s'", "KR_TakeHigh", "Update");
    send(host, "ET %d %d", 2, 500);

    // "Update": the rename sent, selectors unlocked.
    send(host, "ET %d", 2);
    send(host, "CD '2' '%s'", "Cancel");
    send(host, "CD '2' '%s'", "Update");
    reply = send(host, "TG '2' '%s' '%s'", "KB_1", "text");
    const int length = std::snprintf(text, sizeof text - 1, "RM %d %d %d '%s' %d", namesDevice, set, source,
                                     static_cast<const char*>(reply) + 5, 0);
    handBack(host, reply);
    send(host, "TP '%s' '2' '%s'", "text=", "KB_1");
    host.notify(text, vrel_kind::command);
    text[length] = '\n';  // every rename leaves one line in the debug output
    text[length + 1] = '\0';
    vrel::debugWrite(text);
    editFieldsTo(host, "CH");
    send(host, "TP '%s' '2' '%s'", "index=0", "SrcName");
    controlAll(host, "CE", selectors, 3);
    send(host, "CE '2' '%s'", "NamesetName");
    nameSetButtons(host, "CE");
}

void brightnessRevertive(PreparedHost& host, int previousLevel, const char* level) {
    send(host, "TP 'statesheet=%s' '1' 'UMDBright_%d'", "KRSourceDeselected", previousLevel);
    send(host, "TP 'statesheet=%s' '1' 'UMDBright_%s'", "KRSourceSelected", level);
}

void titleChange(PreparedHost& host, int nameSet, const char* title) {
    send(host, "TP 'text=%s' '1' 'Names_%d'", title, nameSet);
    send(host, "TP 'text=%s' '1' '%s'", title, "Current");
}

char* parentQuery(const char* text, const char* myParam) {
    const char* equals = std::strchr(text, '=');
    if (!equals || std::strncmp(text, "return", 6) != 0 || std::strcmp(equals + 1, "all") != 0) return nullptr;
    char answer[textSize];
    const int length = std::snprintf(answer, sizeof answer, "myParam=%s", myParam);
    char* buffer = new char[length + 1];
    std::memcpy(buffer, answer, length + 1);
    return buffer;
}

}  // namespace floors
