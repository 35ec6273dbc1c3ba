// The records a host passes with its notifications, built in the host's own
// layout (runtime/boundary/notify_records.h).
//
// A revertive (kind 1) and a database change (kind 6) carry their text inside
// the record from byte 16 on: writeTextRecord() lays one out in memory the
// caller provides, and RevertiveRecord / DatabaseRecord own a heap copy of
// exactly the record's size (fixed part, text, NUL), so that a script reading
// past the NUL is caught by AddressSanitizer. A button (kind 2) points at the
// panel id, the control name and the event text already split; ButtonRecord
// owns all three.
//
// Each object owns its record and everything it points to, at fixed addresses
// for its whole life: pass data() to the script for one call, then let the
// object go. The fields the script does not read are filled with -1, so a
// script that reads them sees an implausible value.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "runtime/boundary/notify_records.h"
#include "runtime/boundary/parsed_command.h"

namespace vrelhost {

constexpr int unreadField = -1;

// Bytes a text record with a text of `length` characters takes.
constexpr std::size_t textRecordSize(std::size_t length) { return offsetof(revertive_record, text) + length + 1; }

// Lays out a revertive or database record in `bytes` (textRecordSize(length)
// of them, aligned for an int): the three numbers the script reads (device,
// database or unread, index), then the text and its NUL.
void writeTextRecord(void* bytes, int device, int second, int index, const char* text, std::size_t length);

class InPlaceTextRecord {
public:
    InPlaceTextRecord(const InPlaceTextRecord&) = delete;
    InPlaceTextRecord& operator=(const InPlaceTextRecord&) = delete;
    InPlaceTextRecord(InPlaceTextRecord&&) = default;
    InPlaceTextRecord& operator=(InPlaceTextRecord&&) = default;

    void* data() { return bytes_.get(); }

protected:
    InPlaceTextRecord(int device, int second, int index, const std::string& text);

private:
    std::unique_ptr<unsigned char[]> bytes_;
};

// Kind 1: device `device` reports `text` for slot `index`.
class RevertiveRecord : public InPlaceTextRecord {
public:
    RevertiveRecord(int device, int index, const std::string& text)
        : InPlaceTextRecord(device, unreadField, index, text) {}
};

// Kind 6: entry `index` of database `database` of device `device` became `text`.
class DatabaseRecord : public InPlaceTextRecord {
public:
    DatabaseRecord(int device, int database, int index, const std::string& text)
        : InPlaceTextRecord(device, database, index, text) {}
};

// Kind 2: control `control` on panel `panel` was operated; `event` is the
// control's event text (for example "button.001=released"), split as the host
// splits it. A null event splits as an empty one.
class ButtonRecord {
public:
    ButtonRecord(std::string panel, std::string control, const char* event);
    ButtonRecord(std::string panel, std::string control, const std::string& event)
        : ButtonRecord(std::move(panel), std::move(control), event.c_str()) {}
    ButtonRecord(const ButtonRecord&) = delete;
    ButtonRecord& operator=(const ButtonRecord&) = delete;

    button_record& record() { return record_; }
    void* data() { return &record_; }

private:
    std::string panel_, control_;
    parsed_command event_;
    button_record record_;
};

}  // namespace vrelhost
