// Notification records built the way the host builds them, for tests that
// drive a script through notify().
//
// Each object owns its record and every text the record points to, and keeps
// them at fixed addresses for its whole life: pass data() to notify() while the
// object lives. Revertive and database records carry their text in place, so
// they are allocated to the byte (the record's fixed part plus the text and its
// NUL) and a read past the NUL is caught by AddressSanitizer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "runtime/boundary/notify_records.h"
#include "runtime/boundary/parsed_command.h"

template <typename Record>
class InPlaceTextRecord {
public:
    explicit InPlaceTextRecord(const std::string& text)
        : bytes_(new unsigned char[std::max(sizeof(Record), offsetof(Record, text) + text.size() + 1)]) {
        record_ = new (bytes_.get()) Record;
        std::memcpy(bytes_.get() + offsetof(Record, text), text.c_str(), text.size() + 1);
    }
    InPlaceTextRecord(const InPlaceTextRecord&) = delete;
    InPlaceTextRecord& operator=(const InPlaceTextRecord&) = delete;

    Record& record() { return *record_; }
    void* data() { return record_; }

private:
    std::unique_ptr<unsigned char[]> bytes_;
    Record* record_;
};

// Kind 1: device `device` reports `text` for slot `index`.
class RevertiveRecord : public InPlaceTextRecord<revertive_record> {
public:
    RevertiveRecord(int device, int index, const std::string& text) : InPlaceTextRecord(text) {
        record().device = device;
        record().notRead1 = -1;
        record().index = index;
        record().notRead3 = -1;
    }
};

// Kind 6: entry `index` of database `database` of device `device` became `text`.
class DatabaseRecord : public InPlaceTextRecord<database_record> {
public:
    DatabaseRecord(int device, int database, int index, const std::string& text) : InPlaceTextRecord(text) {
        record().device = device;
        record().database = database;
        record().index = index;
        record().notRead3 = -1;
    }
};

// Kind 2: control `id` on panel `panel` was operated; `event` is the control's
// event text (for example "button.001=released"), split as the host splits it.
class ButtonPress {
public:
    ButtonPress(const std::string& panel, const std::string& id, const char* event)
        : panel_(panel), id_(id), event_(event) {
        record_.notRead0 = -1;
        record_.notRead1 = -1;
        record_.panel = panel_.c_str();
        record_.id = id_.c_str();
        record_.event = &event_;
    }
    ButtonPress(const ButtonPress&) = delete;
    ButtonPress& operator=(const ButtonPress&) = delete;

    button_record& record() { return record_; }
    void* data() { return &record_; }

private:
    std::string panel_;
    std::string id_;
    parsed_command event_;
    button_record record_{};
};
