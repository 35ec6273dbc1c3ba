// The records the host passes with its notifications, read in place exactly as
// the host lays them out. They belong to the host and live for one call: never
// keep a pointer into one after the handler returns.
//
// Ints are 32-bit; on the 32-bit host a pointer is 4 bytes too, which gives the
// offsets asserted below. Fields marked "not read" are the host's own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/boundary/parsed_command.h"

static_assert(sizeof(int) == 4, "the host's records use 32-bit ints");

// Kind 1: a device reports the current value of one of its slots.
struct revertive_record {
    int device;
    int notRead1;
    int index;
    int notRead3;
    // The value, stored in the record itself and NUL-terminated; it runs on past
    // the end of this struct as far as the host wrote it. Take its address only.
    char text[1];
};

// Kind 6: an entry of a device's database was renamed.
struct database_record {
    int device;
    int database;
    int index;
    int notRead3;
    char text[1];  // as in revertive_record: NUL-terminated, stored in place
};

// Kind 2: a control on a panel was operated.
struct button_record {
    int notRead0;
    int notRead1;
    const char* panel;            // panel id text, "1", "2", ...
    const char* id;               // control name, for example "SrcGroup"
    const parsed_command* event;  // the event text, already split by the host; never null
};

static_assert(offsetof(revertive_record, device) == 0, "revertive layout");
static_assert(offsetof(revertive_record, notRead1) == 4, "revertive layout");
static_assert(offsetof(revertive_record, index) == 8, "revertive layout");
static_assert(offsetof(revertive_record, notRead3) == 12, "revertive layout");
static_assert(offsetof(revertive_record, text) == 16, "revertive text at byte 16");
static_assert(offsetof(database_record, device) == 0, "database layout");
static_assert(offsetof(database_record, database) == 4, "database layout");
static_assert(offsetof(database_record, index) == 8, "database layout");
static_assert(offsetof(database_record, notRead3) == 12, "database layout");
static_assert(offsetof(database_record, text) == 16, "database text at byte 16");
static_assert(offsetof(button_record, panel) == 8, "button layout");

#if UINTPTR_MAX == 0xFFFFFFFFu
// The host's own 32-bit layout, byte for byte.
static_assert(offsetof(button_record, id) == 12, "button id at 12");
static_assert(offsetof(button_record, event) == 16, "button event at 16");
static_assert(offsetof(parsed_command, command) == 0, "parsed_command layout");
static_assert(offsetof(parsed_command, sub) == 4, "parsed_command layout");
static_assert(offsetof(parsed_command, value) == 132, "parsed_command layout");
static_assert(offsetof(parsed_command, subCount) == 136, "parsed_command layout");
static_assert(offsetof(parsed_command, hasValue) == 140, "parsed_command layout");
static_assert(offsetof(parsed_command, buffer) == 144, "parsed_command layout");
static_assert(sizeof(parsed_command) == 148, "parsed_command size");
static_assert(sizeof(void*) == sizeof(int), "the timer id travels in the pointer value");
#endif
