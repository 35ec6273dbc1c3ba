// vrel_stringlist: an ordered list of texts, with the forward iterator scripts
// use to walk it. Owns copies of its items.
#pragma once

#include <vector>

#include "vrel_string.h"

class vrel_stringlistIterator {
public:
    explicit vrel_stringlistIterator(std::vector<vrel_string>::const_iterator at) : at_(at) {}
    const vrel_string& operator*() const { return *at_; }
    vrel_stringlistIterator& operator++() {
        ++at_;
        return *this;
    }
    bool operator!=(const vrel_stringlistIterator& other) const { return at_ != other.at_; }

private:
    std::vector<vrel_string>::const_iterator at_;
};

class vrel_stringlist {
public:
    vrel_stringlist() = default;
    // The pieces between separators, in order. An empty text gives an empty list;
    // otherwise n separators give n + 1 items, empty ones included.
    vrel_stringlist(const vrel_string& text, char separator);

    vrel_stringlist& operator<<(const vrel_string& item);
    // The items joined with `separator` (none after the last).
    vrel_string toString(char separator) const;

    unsigned count() const { return static_cast<unsigned>(items_.size()); }
    const vrel_string& operator[](unsigned i) const { return items_[i]; }
    vrel_stringlistIterator begin() const { return vrel_stringlistIterator(items_.begin()); }
    vrel_stringlistIterator end() const { return vrel_stringlistIterator(items_.end()); }

private:
    std::vector<vrel_string> items_;
};
