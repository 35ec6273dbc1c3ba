#include "runtime/boundary/parsed_command.h"

#include <cstring>

namespace {
char emptyText[1] = "";
}

parsed_command::parsed_command(const char* text)
    : command(nullptr), value(emptyText), subCount(0), hasValue(false), buffer(nullptr) {
    for (const char*& s : sub) s = emptyText;
    if (!text || !*text) {
        command = emptyText;
        return;
    }
    const std::size_t length = std::strlen(text);
    buffer = new char[length + 1];
    std::memcpy(buffer, text, length + 1);

    for (char* p = buffer; *p && subCount < maxSubs; ++p) {
        if (*p == '.') {
            if (!command) command = buffer;
            *p = '\0';
            sub[subCount++] = p + 1;
        } else if (*p == '=') {
            if (!command) command = buffer;
            *p = '\0';
            hasValue = true;
            value = p + 1;
            break;
        }
    }
    if (!command) command = buffer;
}

parsed_command::~parsed_command() { delete[] buffer; }
