#include "host/protocol/host_records.h"

#include <cstdint>
#include <cstring>

namespace vrelhost {

static_assert(offsetof(database_record, text) == offsetof(revertive_record, text),
              "both records carry their text at the same place");

void writeTextRecord(void* bytes, int device, int second, int index, const char* text, std::size_t length) {
    const std::int32_t head[4] = {device, second, index, unreadField};
    static_assert(sizeof head == offsetof(revertive_record, text), "four ints before the text");
    auto* out = static_cast<unsigned char*>(bytes);
    std::memcpy(out, head, sizeof head);
    std::memcpy(out + sizeof head, text, length);
    out[sizeof head + length] = '\0';
}

InPlaceTextRecord::InPlaceTextRecord(int device, int second, int index, const std::string& text)
    : bytes_(new unsigned char[textRecordSize(text.size())]) {
    writeTextRecord(bytes_.get(), device, second, index, text.data(), text.size());
}

ButtonRecord::ButtonRecord(std::string panel, std::string control, const char* event)
    : panel_(std::move(panel)), control_(std::move(control)), event_(event) {
    record_.notRead0 = unreadField;
    record_.notRead1 = unreadField;
    record_.panel = panel_.c_str();
    record_.id = control_.c_str();
    record_.event = &event_;
}

}  // namespace vrelhost
