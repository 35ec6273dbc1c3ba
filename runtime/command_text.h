// command_text: one command text for the host, composed piece by piece.
//
// Every text the command operations send is built with this: fields are
// appended in order, unchanged, numbers in plain decimal. Texts of up to 255
// characters (all but those carrying a very long name) are composed inside the
// object, so sending a command costs no heap allocation; a longer text moves
// into an owned std::string and is never cut short.
//
// The object owns its characters. c_str() is valid, NUL-terminated, until the
// next add() or the object's end: build it on the stack, send it, drop it.
// Copies are independent texts.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "hostlib/vrel_string.h"

class command_text {
public:
    command_text() { local_[0] = '\0'; }
    explicit command_text(std::string_view code) : command_text() { add(code); }

    // Inline, so that a literal piece is copied with a few moves of known size.
    command_text& add(std::string_view piece) {
        if (spilled_ || length_ + piece.size() >= localCapacity) return addSpilled(piece);
        std::memcpy(local_ + length_, piece.data(), piece.size());
        length_ += piece.size();
        local_[length_] = '\0';
        return *this;
    }
    command_text& add(const vrel_string& piece) { return add(std::string_view(piece.str())); }
    command_text& add(const char* piece) { return add(std::string_view(piece ? piece : "")); }
    command_text& add(int number);

    const char* c_str() const { return spilled_ ? spill_.c_str() : local_; }
    std::size_t length() const { return spilled_ ? spill_.size() : length_; }

private:
    command_text& addSpilled(std::string_view piece);  // the text outgrows local_, or already has

    static constexpr std::size_t localCapacity = 256;  // characters and the NUL

    char local_[localCapacity];  // only the first length_ + 1 characters are ever set
    std::size_t length_ = 0;
    bool spilled_ = false;
    std::string spill_;
};
