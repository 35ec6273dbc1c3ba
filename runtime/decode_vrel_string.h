// decodeVRELString: splits a host reply into blank-separated tokens, where a
// stretch enclosed in the quote character is one token with its blanks kept.
//
// Callers read `token` and `count` directly. `buffer` is this object's own copy
// of the input (null for a null or empty input): inside the object for a short
// input (every device lookup's reply), on the heap, freed by the destructor, for
// a longer one. The tokens point into it and are valid only while the object
// lives. The input is never modified. Not copyable.
#pragma once

class decodeVRELString {
public:
    static constexpr int maxTokens = 32;

    decodeVRELString(const char* text, char quote);
    virtual ~decodeVRELString();
    decodeVRELString(const decodeVRELString&) = delete;
    decodeVRELString& operator=(const decodeVRELString&) = delete;

    const char* token[maxTokens];  // unused entries point at ""
    int count;                     // tokens found, at most 32
    char* buffer;
    char quote;

private:
    char local_[64];  // the copy of an input shorter than this
};
