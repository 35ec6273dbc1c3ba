#include "operator_rules.h"

#include "transcript_format.h"

namespace vrelhost {

std::string shownText(const std::string& text) {
    constexpr std::size_t longest = 60;
    std::string out = escapeText(text.substr(0, longest));
    if (text.size() > longest) out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}

namespace {

// The bytes of the UTF-8 character that starts at `text[at]`: 2 to 4 for a
// whole multibyte character, else 1 (an ASCII character, or a byte that
// starts none, as a name in a Windows code page has them). Overlong forms
// and surrogates count as single bytes.
std::size_t characterLength(const std::string& text, std::size_t at) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    const std::size_t length =
        c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 1;
    if (length == 1 || at + length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xc0) != 0x80) return 1;
    const unsigned char second = static_cast<unsigned char>(text[at + 1]);
    if ((c == 0xe0 && second < 0xa0) || (c == 0xed && second > 0x9f) || (c == 0xf0 && second < 0x90) ||
        (c == 0xf4 && second > 0x8f))
        return 1;
    return length;
}

}  // namespace

std::vector<std::string> charactersOf(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterLength(text, at);
        characters.push_back(text.substr(at, length));
        at += length;
    }
    return characters;
}

const std::vector<std::string>& namedKeys() {
    static const std::vector<std::string> keys = {"backspace", "return", "space"};
    return keys;
}

bool isKey(const std::string& name) {
    if (!name.empty() && charactersOf(name).size() == 1) {
        // A control character would break the line or the display; a blank is "space".
        const unsigned char first = static_cast<unsigned char>(name[0]);
        const bool c1 = first == 0xc2 && name.size() == 2 && static_cast<unsigned char>(name[1]) <= 0x9f;
        return first > 0x20 && first != 0x7f && !c1;
    }
    for (const std::string& key : namedKeys())
        if (name == key) return true;
    return false;
}

PressRule pressRule(const PanelSlots& panels, const std::string& panel, const std::string& control) {
    using Verdict = PressRule::Verdict;
    const PanelSlots::Slot* slot = panels.slot(panel);
    if (!slot) return PressRule{Verdict::mistake, "no panel in slot " + shownText(panel)};
    const Control* c = panels.control(panel, control);
    if (!c)
        return PressRule{Verdict::mistake,
                         "panel " + panel + " has no control \"" + shownText(control) + "\""};
    if (!slot->onScreen) return PressRule{Verdict::refused, "panel " + panel + " is not on screen"};
    if (!c->visible()) return PressRule{Verdict::refused, control + " on panel " + panel + " is hidden"};
    if (!c->enabled()) return PressRule{Verdict::refused, control + " on panel " + panel + " is disabled"};
    return PressRule{};
}

}  // namespace vrelhost
