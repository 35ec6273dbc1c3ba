// The notifications a host sends, prepared once so that a benchmark loop only
// passes pointers: records laid out as the runtime reads them, with their texts
// stored in the object itself. Each object must outlive the notify() calls
// that use it; none of them allocates after construction.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>

#include "runtime/boundary/notify_records.h"
#include "runtime/boundary/parsed_command.h"

// Kind 1 or kind 6: the fixed part of the record followed by its text in place.
template <typename Record>
class TextRecord {
public:
    static constexpr std::size_t textCapacity = 64;

    explicit TextRecord(const char* text) : record(*new (bytes_) Record{}) {
        std::strncpy(reinterpret_cast<char*>(bytes_) + offsetof(Record, text), text, textCapacity - 1);
    }
    TextRecord(const TextRecord&) = delete;
    TextRecord& operator=(const TextRecord&) = delete;
    void* data() { return &record; }

private:
    alignas(Record) unsigned char bytes_[offsetof(Record, text) + textCapacity] = {};

public:
    Record& record;  // lives in bytes_, its text running on past the struct
};

struct RevertiveEvent : TextRecord<revertive_record> {
    RevertiveEvent(int device, int index, const char* text) : TextRecord(text) {
        record.device = device;
        record.index = index;
    }
};

struct DatabaseEvent : TextRecord<database_record> {
    DatabaseEvent(int device, int database, int index, const char* text) : TextRecord(text) {
        record.device = device;
        record.database = database;
        record.index = index;
    }
};

// Kind 2: a control operated; the host hands its event text over already split.
struct ButtonEvent {
    parsed_command event;
    button_record record;

    ButtonEvent(const char* panel, const char* control, const char* eventText)
        : event(eventText), record{0, 0, panel, control, &event} {}
    ButtonEvent(const ButtonEvent&) = delete;
    ButtonEvent& operator=(const ButtonEvent&) = delete;
    void* data() { return &record; }
};
