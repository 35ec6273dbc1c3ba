#include "vrel_string.h"

#include <climits>

namespace {
// The white space atoi skips: blank, tab, line feed, vertical tab, form feed, return.
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

vrel_string::vrel_string(const char* text) : text_(text ? text : "") {}

vrel_string::vrel_string(int value, char /*fill*/, unsigned /*width*/, int /*base*/)
    : text_(std::to_string(value)) {}

vrel_string& vrel_string::operator=(const char* text) {
    text_ = text ? text : "";
    return *this;
}

int vrel_string::toInt() const {
    std::size_t i = 0;
    while (i < text_.size() && isSpace(text_[i])) ++i;
    bool negative = false;
    if (i < text_.size() && (text_[i] == '-' || text_[i] == '+')) negative = text_[i++] == '-';
    long long value = 0;
    for (; i < text_.size() && text_[i] >= '0' && text_[i] <= '9'; ++i) {
        value = value * 10 + (text_[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturate below
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

vrel_string vrel_string::arg(const vrel_string& value) const {
    // Find the lowest marker digit present, then replace each of its occurrences
    // in one pass so that the inserted value is never scanned again.
    char lowest = 0;
    for (std::size_t i = 0; i + 1 < text_.size(); ++i) {
        char d = text_[i + 1];
        if (text_[i] == '%' && d >= '1' && d <= '9' && (lowest == 0 || d < lowest)) lowest = d;
    }
    if (lowest == 0) return *this;
    std::string out;
    out.reserve(text_.size() + value.text_.size());
    for (std::size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == '%' && i + 1 < text_.size() && text_[i + 1] == lowest) {
            out += value.text_;
            ++i;
        } else {
            out += text_[i];
        }
    }
    return vrel_string(out);
}

vrel_string vrel_string::arg(int value, char fill, unsigned width, int base) const {
    return arg(vrel_string(value, fill, width, base));
}

int vrel_string::split(char separator, vrel_string& before, vrel_string& after) const {
    std::size_t at = text_.find(separator);
    if (at == std::string::npos) {
        before = *this;
        after = vrel_string();
        return -1;
    }
    std::string head = text_.substr(0, at);
    std::string tail = text_.substr(at + 1);
    before.text_ = std::move(head);  // `before` may alias *this: copy first
    after.text_ = std::move(tail);
    return static_cast<int>(at);
}

bool vrel_string::startsWith(const vrel_string& prefix) const {
    return text_.compare(0, prefix.text_.size(), prefix.text_) == 0;
}

vrel_string vrel_string::right(unsigned n) const {
    if (n >= text_.size()) return *this;
    return vrel_string(text_.substr(text_.size() - n));
}

void vrel_string::truncate(unsigned n) {
    if (n < text_.size()) text_.resize(n);
}

vrel_string& vrel_string::operator+=(const vrel_string& other) {
    text_ += other.text_;
    return *this;
}

vrel_string& vrel_string::operator+=(const char* other) {
    if (other) text_ += other;
    return *this;
}

vrel_string operator+(const vrel_string& a, const vrel_string& b) {
    vrel_string r(a);
    r += b;
    return r;
}

vrel_string operator+(const vrel_string& a, const char* b) {
    vrel_string r(a);
    r += b;
    return r;
}

vrel_string operator+(const char* a, const vrel_string& b) {
    vrel_string r(a);
    r += b;
    return r;
}

bool operator==(const vrel_string& a, const vrel_string& b) { return a.str() == b.str(); }
bool operator==(const vrel_string& a, const char* b) { return a.str() == (b ? b : ""); }
bool operator==(const vrel_string& a, int number) { return a.str() == std::to_string(number); }
bool operator!=(const vrel_string& a, const vrel_string& b) { return !(a == b); }
bool operator!=(const vrel_string& a, const char* b) { return !(a == b); }
bool operator==(const char* a, const vrel_string& b) { return b == a; }
bool operator!=(const char* a, const vrel_string& b) { return !(b == a); }
