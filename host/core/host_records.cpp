#include "host_records.h"

#include <cstring>

namespace vrelhost {

TextRecord::TextRecord(int field0, int field1, int field2, const std::string& text) {
    constexpr std::size_t header = offsetof(revertive_record, text);
    static_assert(offsetof(database_record, text) == header, "both records carry their text at the same place");
    const std::size_t bytes = header + text.size() + 1;
    storage_ = std::make_unique<int[]>((bytes + sizeof(int) - 1) / sizeof(int));
    int* fields = storage_.get();
    fields[0] = field0;
    fields[1] = field1;
    fields[2] = field2;
    fields[3] = 0;
    std::memcpy(reinterpret_cast<char*>(fields) + header, text.c_str(), text.size() + 1);
}

TextRecord TextRecord::revertive(int device, int index, const std::string& text) {
    return TextRecord(device, 0, index, text);
}

TextRecord TextRecord::databaseChange(int device, int database, int index, const std::string& text) {
    return TextRecord(device, database, index, text);
}

ButtonRecord::ButtonRecord(std::string panel, std::string control, const std::string& event)
    : panel_(std::move(panel)), control_(std::move(control)), event_(event.c_str()) {
    record_.notRead0 = 0;
    record_.notRead1 = 0;
    record_.panel = panel_.c_str();
    record_.id = control_.c_str();
    record_.event = &event_;
}

}  // namespace vrelhost
