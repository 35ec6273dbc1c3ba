#include "operator_rules.h"

namespace vrelhost {

std::string shownText(const std::string& text) {
    constexpr std::size_t longest = 60;
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < longest; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f)
            out += std::string("\\x") + digits[c >> 4] + digits[c & 0x0f];
        else
            out += static_cast<char>(c);
    }
    if (text.size() > longest) out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}

const std::vector<std::string>& namedKeys() {
    static const std::vector<std::string> keys = {"backspace", "return", "space"};
    return keys;
}

bool isKey(const std::string& name) {
    if (name.size() == 1) return true;
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
