#include "completion.h"

#include <algorithm>

namespace vrelhost {
namespace {

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while ((pos = text.find_first_not_of(' ', pos)) != std::string::npos) {
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        words.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

std::vector<std::string> startingWith(const std::vector<std::string>& candidates, const std::string& start) {
    std::vector<std::string> found;
    for (const std::string& c : candidates)
        if (c.compare(0, start.size(), start) == 0) found.push_back(c);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::vector<std::string> panelsOf(const CompletionWords& words) {
    std::vector<std::string> panels;
    for (const auto& entry : words.controls) panels.push_back(entry.first);
    return panels;
}

}  // namespace

std::vector<std::string> completionsFor(const std::string& lineBeforeCursor, const CompletionWords& words) {
    std::vector<std::string> before = wordsOf(lineBeforeCursor);
    std::string current;
    if (!lineBeforeCursor.empty() && lineBeforeCursor.back() != ' ') {
        current = before.back();
        before.pop_back();
    }
    // What follows a position completes as a line of its own.
    const bool addressed = !before.empty() && before[0].compare(0, 1, "@") == 0;
    if (addressed) before.erase(before.begin());
    if (before.empty()) {
        std::vector<std::string> first = words.verbs;
        if (!addressed) first.insert(first.end(), words.positions.begin(), words.positions.end());
        return startingWith(first, current);
    }
    const std::string& verb = before[0];
    if (verb == "press" && before.size() == 1) return startingWith(panelsOf(words), current);
    if (verb == "show" && before.size() == 1) {
        std::vector<std::string> targets = panelsOf(words);
        targets.insert(targets.end(), words.showTargets.begin(), words.showTargets.end());
        return startingWith(targets, current);
    }
    if (verb == "press" && before.size() == 2) {
        auto panel = words.controls.find(before[1]);
        return panel == words.controls.end() ? std::vector<std::string>() : startingWith(panel->second, current);
    }
    if (verb == "key" && before.size() == 1) return startingWith(words.keys, current);
    return {};
}

int positionOf(const std::string& line) {
    const std::vector<std::string> words = wordsOf(line);
    if (words.empty() || words[0].size() < 2 || words[0].size() > 4 || words[0][0] != '@') return 1;
    if (words[0].find_first_not_of("0123456789", 1) != std::string::npos) return 1;
    return std::stoi(words[0].substr(1));
}

std::string commonPrefix(const std::vector<std::string>& words) {
    if (words.empty()) return std::string();
    std::string prefix = words.front();
    for (const std::string& w : words) {
        std::size_t n = 0;
        while (n < prefix.size() && n < w.size() && prefix[n] == w[n]) ++n;
        prefix.resize(n);
    }
    return prefix;
}

}  // namespace vrelhost
