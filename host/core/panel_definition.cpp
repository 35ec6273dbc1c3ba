#include "panel_definition.h"

#include <set>
#include <sstream>

#include "user_file.h"

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

bool isNumber(const std::string& text) {
    return !text.empty() && text.size() <= 6 && text.find_first_not_of("0123456789") == std::string::npos;
}

// Reads key=value words from `first` on; layout keys go to `layout`, the rest
// to `properties` (nullptr: a layout key is all that is allowed).
bool readPairs(const std::vector<std::string>& words, std::size_t first, std::map<std::string, std::string>* properties,
               std::map<std::string, std::string>& layout, std::string& error) {
    for (std::size_t i = first; i < words.size(); ++i) {
        std::size_t eq = words[i].find('=');
        if (eq == std::string::npos || eq == 0) {
            error = "expected property=value, found \"" + words[i] + "\"";
            return false;
        }
        const std::string key = words[i].substr(0, eq), value = words[i].substr(eq + 1);
        if (!isLayoutKey(key)) {
            if (!properties) {
                error = "the panel line takes only w= and h=, not \"" + key + "\"";
                return false;
            }
            (*properties)[key] = value;
            continue;
        }
        const bool geometric = key == "x" || key == "y" || key == "w" || key == "h" || key == "lines" ||
                               key == "pages";
        if (geometric && !isNumber(value)) {
            error = key + "= expects a number of 0 to 999999, not \"" + value + "\"";
            return false;
        }
        layout[key] = value;
    }
    return true;
}

}  // namespace

bool isLayoutKey(const std::string& key) {
    return key == "x" || key == "y" || key == "w" || key == "h" || key == "source" || key == "database" ||
           key == "lines" || key == "pages";
}

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
        if (words[0] == "@panel") {
            if (!readPairs(words, 1, nullptr, panel.layout, problem)) {
                error = "line " + std::to_string(number) + ": " + problem;
                return std::nullopt;
            }
            continue;
        }
        Control control;
        control.name = words[0];
        control.properties = {{"enabled", "1"}, {"visible", "1"}, {"text", ""}, {"statesheet", ""}};
        if (!readPairs(words, 1, &control.properties, control.layout, problem)) {
            error = "line " + std::to_string(number) + ": " + problem;
            return std::nullopt;
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
    std::string text, problem;
    if (!userFileExists(path)) {
        error = "no panel file " + path;
        return std::nullopt;
    }
    if (!readUserFile(path, text, problem)) {
        error = "panel file " + path + ": cannot be read: " + problem;
        return std::nullopt;
    }
    std::optional<PanelDefinition> panel = parsePanelDefinition(text, problem);
    if (!panel) error = "panel file " + path + ", " + problem;
    return panel;
}

}  // namespace vrelhost
