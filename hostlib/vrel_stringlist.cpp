#include "vrel_stringlist.h"

vrel_stringlist::vrel_stringlist(const vrel_string& text, char separator) {
    const std::string& s = text.str();
    if (s.empty()) return;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = s.find(separator, start);
        if (at == std::string::npos) {
            items_.emplace_back(s.substr(start));
            return;
        }
        items_.emplace_back(s.substr(start, at - start));
        start = at + 1;
    }
}

vrel_stringlist& vrel_stringlist::operator<<(const vrel_string& item) {
    items_.push_back(item);
    return *this;
}

vrel_string vrel_stringlist::toString(char separator) const {
    std::string out;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i) out += separator;
        out += items_[i].str();
    }
    return vrel_string(out);
}
