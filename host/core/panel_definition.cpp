#include "panel_definition.h"

#include <fstream>
#include <set>
#include <sstream>

namespace vrelhost {
namespace {

// Splits one line into words; a double-quoted stretch belongs to its word.
bool splitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                word += line[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '"') {
            quoted = inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        error = "a quoted value is not closed";
        return false;
    }
    if (inWord) words.push_back(word);
    return true;
}

}  // namespace

std::string Control::property(const std::string& key) const {
    auto it = properties.find(key);
    return it == properties.end() ? std::string() : it->second;
}

std::optional<PanelDefinition> parsePanelDefinition(const std::string& text, std::string& error) {
    PanelDefinition panel;
    std::set<std::string> names;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::vector<std::string> words;
        std::string problem;
        if (!splitWords(line, words, problem)) {
            error = "line " + std::to_string(number) + ": " + problem;
            return std::nullopt;
        }
        if (words.empty() || words[0][0] == '#') continue;
        Control control;
        control.name = words[0];
        control.properties = {{"enabled", "1"}, {"visible", "1"}, {"text", ""}, {"statesheet", ""}};
        for (std::size_t i = 1; i < words.size(); ++i) {
            std::size_t eq = words[i].find('=');
            if (eq == std::string::npos || eq == 0) {
                error = "line " + std::to_string(number) + ": expected property=value, found \"" + words[i] + "\"";
                return std::nullopt;
            }
            control.properties[words[i].substr(0, eq)] = words[i].substr(eq + 1);
        }
        if (!names.insert(control.name).second) {
            error = "line " + std::to_string(number) + ": control \"" + control.name + "\" is defined twice";
            return std::nullopt;
        }
        panel.controls.push_back(std::move(control));
    }
    return panel;
}

std::optional<PanelDefinition> loadPanelDefinition(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "no panel file " + path;
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string problem;
    std::optional<PanelDefinition> panel = parsePanelDefinition(text.str(), problem);
    if (!panel) error = "panel file " + path + ", " + problem;
    return panel;
}

}  // namespace vrelhost
