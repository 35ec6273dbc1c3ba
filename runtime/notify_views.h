// Views over the host's notification records: one pointer each, built by the
// dispatcher on its stack for the length of one call. Handlers must not keep a
// view, nor anything it returns a pointer to, after they return. Texts come out
// as vrel_string copies, numbers as ints.
#pragma once

#include "hostlib/vrel_string.h"
#include "runtime/boundary/notify_records.h"
#include "runtime/boundary/parsed_command.h"

struct revertive_notify {
    const revertive_record* record;
    int device() const { return record->device; }
    int index() const { return record->index; }
    vrel_string text() const { return vrel_string(&record->text[0]); }
};

struct database_notify {
    const database_record* record;
    int device() const { return record->device; }
    int database() const { return record->database; }
    int index() const { return record->index; }
    vrel_string text() const { return vrel_string(&record->text[0]); }
};

struct button_notify {
    const button_record* record;
    vrel_string panel() const { return vrel_string(record->panel); }
    vrel_string id() const { return vrel_string(record->id); }
    // Of the event text, as the host split it. The host always sends an event;
    // a record without one reads as an empty event rather than crashing the panel.
    vrel_string command() const { return vrel_string(record->event ? record->event->command : ""); }
    vrel_string sub() const { return vrel_string(record->event ? record->event->sub[0] : ""); }  // the first sub-part
    vrel_string value() const { return vrel_string(record->event ? record->event->value : ""); }
    int subCount() const { return record->event ? record->event->subCount : 0; }
};

struct parent_notify {
    const parsed_command* record;
    vrel_string command() const { return vrel_string(record->command); }
    vrel_string value() const { return vrel_string(record->value); }
};

// Kind 7 carries host data whose layout no script of this component reads.
struct value_notify {
    const void* record;
};
