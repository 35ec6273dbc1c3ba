// vrel_string: the text type every script works in.
//
// A value type that owns its characters (an independent copy of whatever it was
// built from, so the source may be freed at once). The pointer returned by the
// conversion to `const char*` stays valid while the string lives unchanged.
// Not thread-safe; scripts run on the host's one thread.
#pragma once

#include <string>

class vrel_string {
public:
    vrel_string() = default;
    vrel_string(const char* text);  // NOLINT: implicit, texts cross the host boundary as char*
    vrel_string(const std::string& text) : text_(text) {}
    // The plain decimal text of `value`. The host library's signature carries a fill
    // character, a width and a base; scripts always pass 0, 0, 10.
    vrel_string(int value, char fill, unsigned width, int base);
    vrel_string(const vrel_string&) = default;
    vrel_string(vrel_string&&) noexcept = default;
    vrel_string& operator=(const vrel_string&) = default;
    vrel_string& operator=(vrel_string&&) noexcept = default;
    vrel_string& operator=(const char* text);
    virtual ~vrel_string() = default;

    unsigned length() const { return static_cast<unsigned>(text_.size()); }
    bool isEmpty() const { return text_.empty(); }

    // Decimal value after optional leading white space and sign, up to the first
    // non-digit; 0 for an empty text or one without digits (the C atoi rule).
    // Unlike atoi it saturates at the int range instead of overflowing.
    int toInt() const;
    explicit operator int() const { return toInt(); }

    operator const char*() const { return text_.c_str(); }  // NOLINT: implicit by design
    const char* c_str() const { return text_.c_str(); }
    const std::string& str() const { return text_; }

    // A copy in which every occurrence of the lowest-numbered marker left
    // ("%1" ... "%9") is replaced by `value`; unchanged when no marker is left.
    vrel_string arg(const vrel_string& value) const;
    vrel_string arg(int value, char fill, unsigned width, int base) const;

    // `before` receives the text before the first `separator`, `after` the text
    // after it. Without a separator, `before` is the whole text and `after` is empty.
    // Returns the separator's position, or -1 when there is none.
    int split(char separator, vrel_string& before, vrel_string& after) const;

    bool startsWith(const vrel_string& prefix) const;
    vrel_string right(unsigned n) const;  // the last n characters (all when shorter)
    void truncate(unsigned n);            // keep at most n characters

    vrel_string& operator+=(const vrel_string& other);
    vrel_string& operator+=(const char* other);

private:
    std::string text_;
};

vrel_string operator+(const vrel_string& a, const vrel_string& b);
vrel_string operator+(const vrel_string& a, const char* b);
vrel_string operator+(const char* a, const vrel_string& b);

bool operator==(const vrel_string& a, const vrel_string& b);
bool operator==(const vrel_string& a, const char* b);
// True when the text is exactly the decimal form of `number` (panel ids "1", "2").
bool operator==(const vrel_string& a, int number);
bool operator!=(const vrel_string& a, const vrel_string& b);
bool operator!=(const vrel_string& a, const char* b);
// Text on the left too, so that `"1" == panel` does not compete with the
// built-in pointer comparison.
bool operator==(const char* a, const vrel_string& b);
bool operator!=(const char* a, const vrel_string& b);
