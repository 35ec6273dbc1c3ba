#include "panel_view.h"

#include <algorithm>
#include <sstream>

#include "transcript_format.h"

namespace vrelhost {
namespace {

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// The file name without the folder: what the operator knows the panel by.
std::string fileName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// A control's text is escaped like every text in a line: a text with a line
// break stays on its control's line.
std::string drawPanel(const std::string& id, const PanelSlots::Slot& slot) {
    std::size_t nameWidth = 4, textWidth = 6;
    for (const Control& c : slot.controls) {
        nameWidth = std::max(nameWidth, c.name.size() + 1);
        textWidth = std::max(textWidth, escapeText(c.property("text")).size() + 3);
    }
    std::ostringstream out;
    out << "panel " << id << " " << fileName(slot.path) << (slot.onScreen ? " (on screen)" : " (off screen)")
        << "\n";
    for (const Control& c : slot.controls) {
        const std::string look = c.property("statesheet");
        out << "  " << padded(c.name, nameWidth)
            << padded("\"" + escapeText(c.property("text")) + "\"", textWidth)
            << padded(look.empty() ? "-" : look, 19) << (c.enabled() ? "enabled " : "disabled")
            << (c.visible() ? " visible" : " hidden") << "\n";
    }
    return out.str();
}

}  // namespace vrelhost
