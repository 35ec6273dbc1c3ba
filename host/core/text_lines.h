// A text cut into its lines: the one splitter of the host's line files (a
// transcript, a validator's verdict).
#pragma once

#include <string>
#include <vector>

namespace vrelhost {

// The lines of `text`, without their '\n'; an empty line is kept, and a last
// line without its '\n' is a line too (whether it was whole is the caller's
// question: text.back() == '\n').
std::vector<std::string> linesOf(const std::string& text);

}  // namespace vrelhost
