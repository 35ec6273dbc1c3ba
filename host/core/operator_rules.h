// The rules an operator's line meets before it reaches the script, stated
// once for every way a line arrives (a scenario, the prompt, the browser
// view): whether a press on a control is taken, which keys have names, and
// how long one wait may be.
#pragma once

#include <string>
#include <vector>

#include "panel_slots.h"

namespace vrelhost {

// Operator text quoted back in a message: control bytes escaped and a long
// text cut, so a stray NUL or a megabyte pasted by mistake stays one line.
std::string shownText(const std::string& text);

// A day of simulated time per wait line.
constexpr long long longestWait = 24LL * 60 * 60 * 1000;

// The characters of a text, each its own bytes, in order: a whole UTF-8
// character is one, any byte that starts none (a name in a Windows code
// page) is one too.
std::vector<std::string> charactersOf(const std::string& text);

// The keys `key` takes by name; any other key is one character of any script.
const std::vector<std::string>& namedKeys();
// A named key or exactly one character that is not a control character or a blank.
bool isKey(const std::string& name);

// Whether a press on `control` of `panel` is taken, as a real panel decides:
// a control that does not exist is a mistake in the line (`mistake` says
// what); a panel off screen, or a hidden or disabled control, sends no event
// (`refusal` says why).
struct PressRule {
    enum class Verdict { taken, refused, mistake } verdict = Verdict::taken;
    std::string reason;
    bool taken() const { return verdict == Verdict::taken; }
};
PressRule pressRule(const PanelSlots& panels, const std::string& panel, const std::string& control);

}  // namespace vrelhost
