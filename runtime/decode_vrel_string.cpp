#include "decode_vrel_string.h"

#include <cstring>

namespace {
char emptyText[1] = "";
}

decodeVRELString::decodeVRELString(const char* text, char quoteChar)
    : count(0), buffer(nullptr), quote(quoteChar) {
    for (const char*& t : token) t = emptyText;
    if (!text || !*text) return;

    const std::size_t length = std::strlen(text);
    buffer = length < sizeof local_ ? local_ : new char[length + 1];
    std::memcpy(buffer, text, length + 1);

    token[count++] = buffer;  // the first token starts at the first character
    bool inQuotes = false;
    for (std::size_t i = 0; i < length; ++i) {
        char& c = buffer[i];
        const bool afterNul = i > 0 && buffer[i - 1] == '\0';
        if (!inQuotes && c == quote) {
            c = '\0';
            inQuotes = true;
        } else if (!inQuotes && c == ' ') {
            c = '\0';
        } else if (inQuotes && c == quote) {
            c = '\0';
            inQuotes = false;
            // Empty quotes ('') still make a token of their own.
            if (afterNul) {
                if (count == maxTokens) break;
                token[count++] = &c;
            }
        } else if (i > 0 && afterNul) {
            if (count == maxTokens) break;
            token[count++] = &c;
        }
    }
}

decodeVRELString::~decodeVRELString() {
    if (buffer != local_) delete[] buffer;
}
