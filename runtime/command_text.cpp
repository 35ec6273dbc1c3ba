#include "command_text.h"

#include <charconv>
#include <cstring>

command_text& command_text::addSpilled(std::string_view piece) {
    if (piece.empty()) return *this;
    if (!spilled_) {
        spill_.reserve(length_ + piece.size());
        spill_.assign(local_, length_);
        spilled_ = true;
    }
    spill_.append(piece.data(), piece.size());
    return *this;
}

command_text& command_text::add(int number) {
    char digits[16];  // an int's sign and up to 10 digits
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    return add(std::string_view(digits, static_cast<std::size_t>(end.ptr - digits)));
}
