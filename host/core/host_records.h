// The records the host passes with its notifications, built in the host's
// own layout (runtime/notify_records.h): a revertive (kind 1) and a database
// change (kind 6) carry their text inside the record from byte 16 on; a
// button (kind 2) points at the panel id, the control name and the event text
// already split into a parsed_command.
//
// Each object owns its record and everything the record points to; pass
// data() to the script for one call, then let the object go.
#pragma once

#include <memory>
#include <string>

#include "runtime/boundary/notify_records.h"
#include "runtime/boundary/parsed_command.h"

namespace vrelhost {

class TextRecord {
public:
    static TextRecord revertive(int device, int index, const std::string& text);
    static TextRecord databaseChange(int device, int database, int index, const std::string& text);

    void* data() { return storage_.get(); }

private:
    TextRecord(int field0, int field1, int field2, const std::string& text);
    std::unique_ptr<int[]> storage_;  // ints, so the record is aligned as the host's is
};

class ButtonRecord {
public:
    ButtonRecord(std::string panel, std::string control, const std::string& event);
    ButtonRecord(const ButtonRecord&) = delete;
    ButtonRecord& operator=(const ButtonRecord&) = delete;

    void* data() { return &record_; }

private:
    std::string panel_, control_;
    parsed_command event_;
    button_record record_;
};

}  // namespace vrelhost
