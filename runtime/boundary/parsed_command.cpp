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
    splitCommandInPlace(buffer, *this);
}

void splitCommandInPlace(char* text, parsed_command& parsed) {
    parsed.command = text;
    for (char* p = text; *p && parsed.subCount < parsed_command::maxSubs; ++p) {
        if (*p == '.') {
            *p = '\0';
            parsed.sub[parsed.subCount++] = p + 1;
        } else if (*p == '=') {
            *p = '\0';
            parsed.hasValue = true;
            parsed.value = p + 1;
            break;
        }
    }
}

parsed_command::~parsed_command() { delete[] buffer; }
