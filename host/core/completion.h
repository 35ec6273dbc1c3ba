// Completion of operator lines at the prompt: verbs, panel numbers and the
// names of the controls of the loaded panels, and the keyboard's named keys.
// Pure functions over a snapshot of those words, so the prompt and the tests
// share them.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vrelhost {

struct CompletionWords {
    std::vector<std::string> verbs;
    std::map<std::string, std::vector<std::string>> controls;  // panel -> its controls' names
    std::vector<std::string> keys;                             // what `key` takes by name
    std::vector<std::string> positions;  // "@1", "@2" ... with several positions; none with one
    std::vector<std::string> showTargets;  // what `show` takes besides a panel ("displays"), if anything
};

// The words, sorted and without repeats, that may stand for the last word of
// `lineBeforeCursor` (the empty word after a blank): a verb first; after
// press a panel; after show a panel or a show target; after press PANEL a
// control of that panel; after key a named key. Nothing where free text or numbers go. A line may start with
// a position ("@2 "): it is offered with the verbs, and what follows it
// completes as a line of its own.
std::vector<std::string> completionsFor(const std::string& lineBeforeCursor, const CompletionWords& words);

// The position a line is addressed to ("@K ..."), 1 when it names none.
int positionOf(const std::string& line);

// What all the words start with.
std::string commonPrefix(const std::vector<std::string>& words);

}  // namespace vrelhost
