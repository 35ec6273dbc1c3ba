#include "display_wall_view.h"

#include <algorithm>

#include "operator_rules.h"

namespace vrelhost {
namespace {

constexpr int columns = 8;

std::size_t widthOf(const std::string& text) { return charactersOf(text).size(); }

std::string number(int k) {
    std::string text = std::to_string(k);
    return std::string(text.size() < 3 ? 3 - text.size() : 0, ' ') + text;
}

}  // namespace

std::string drawDisplays(const DisplayState& state) {
    std::string out = "displays: name set " + std::to_string(state.set) + " \"" + shownText(state.title) +
                      "\", brightness " +
                      (state.brightness > 0 ? std::to_string(state.brightness) + " (" + state.brightnessName + ")"
                                            : std::string("none reported")) +
                      "\n";
    std::vector<std::string> shown;
    std::size_t width = 1;
    for (const std::string& name : state.names) {
        shown.push_back(shownText(name));
        width = std::max(width, widthOf(shown.back()));
    }
    for (std::size_t i = 0; i < shown.size(); i += columns) {
        std::string row;
        for (std::size_t j = i; j < std::min(i + columns, shown.size()); ++j) {
            std::string cell = number(static_cast<int>(j + 1)) + " " + shown[j];
            if (j + 1 < std::min(i + columns, shown.size()))
                cell += std::string(width - widthOf(shown[j]) + 2, ' ');
            row += cell;
        }
        out += "  " + row + "\n";
    }
    return out;
}

}  // namespace vrelhost
