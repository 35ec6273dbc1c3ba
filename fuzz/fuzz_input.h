// The pieces every fuzzer and its helpers share: a reader over the fuzz input,
// an exact-size text copy, and a check that aborts with a message.
//
// The reader never fails: past the end of the input every read yields zero
// bytes, so any input, however short, is a complete and valid run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

// A property the code under test must keep. A violation aborts, which libFuzzer
// reports as a crash and saves the input that caused it.
#define FUZZ_CHECK(condition, message)                                                          \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property violated: %s (%s)\n", __FILE__, __LINE__,     \
                         message, #condition);                                                  \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

namespace fuzz {

// Reads the fuzz input front to back. Past the end every read yields zero
// bytes, so a short input is still a complete, valid run.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::size_t remaining() const { return empty() ? 0 : size_ - pos_; }

    std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }

    std::int32_t raw32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(byte()) << (8 * i);
        std::int32_t out;
        std::memcpy(&out, &v, sizeof out);
        return out;
    }

    // The next n bytes (fewer at the end of the input), as they stand.
    std::string bytes(std::size_t n) {
        if (n > remaining()) n = remaining();
        std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return out;
    }

    // A text: a length byte, then that many bytes. The length 255 stands for a
    // 1,000-character text, longer than any field the panel expects.
    std::string text() {
        const std::uint8_t length = byte();
        if (length == 255) return std::string(1000, static_cast<char>('A' + byte() % 26));
        return bytes(length);
    }

    // A number leaning towards the edges: 0, 1, -1, the int limits, a raw
    // 32-bit value, or a small count.
    std::int32_t number() {
        switch (byte() % 8) {
        case 0: return 0;
        case 1: return 1;
        case 2: return -1;
        case 3: return INT32_MAX;
        case 4: return INT32_MIN;
        case 5: return raw32();
        default: return byte();
        }
    }

    // The rest of the input as a separate reader, taking `n` bytes from this one.
    Input split(std::size_t n) {
        if (n > remaining()) n = remaining();
        Input part(data_ + pos_, n);
        pos_ += n;
        return part;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A NUL-terminated copy of `text` in an allocation of exactly its size
// (characters plus the NUL), so an over-read is caught.
class ExactText {
public:
    explicit ExactText(const std::string& text) : chars_(new char[text.size() + 1]) {
        std::memcpy(chars_, text.c_str(), text.size() + 1);
    }
    ~ExactText() { delete[] chars_; }
    ExactText(const ExactText&) = delete;
    ExactText& operator=(const ExactText&) = delete;
    char* get() const { return chars_; }

private:
    char* chars_;
};

}  // namespace fuzz
