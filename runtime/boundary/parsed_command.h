// parsed_command: a command text of the form name.sub.sub=value, split in place.
//
// The host delivers a button's event already split in this very layout, so the
// data members, their order and their types are part of the host contract: do
// not add members, virtual functions or reorder anything.
//
// Ownership: `buffer` is this object's own copy of the input (length + 1 bytes,
// null for a null or empty input), freed by the destructor. Every other pointer
// points into `buffer` or at a shared empty text, and is valid only while the
// object lives. Not copyable.
#pragma once

class parsed_command {
public:
    static constexpr int maxSubs = 32;

    explicit parsed_command(const char* text);
    ~parsed_command();
    parsed_command(const parsed_command&) = delete;
    parsed_command& operator=(const parsed_command&) = delete;

    const char* command;      // text before the first "." or "="
    const char* sub[maxSubs]; // the sub-parts in order; unused entries point at ""
    const char* value;        // text after the first "=", or ""
    int subCount;             // sub-parts stored, 0 to 32
    bool hasValue;            // an "=" was found
    char* buffer;             // owned copy of the input the pointers point into
};

// Splits `text` (NUL-terminated and writable) in place into `parsed`, as the
// constructor splits its own copy: the command up to the first "." or "=", a
// sub-part after each ".", the value after the first "=". `parsed` must be
// freshly built from an empty text (unused entries at "", no buffer owned);
// its pointers then point into `text`, which must outlive it.
void splitCommandInPlace(char* text, parsed_command& parsed);
