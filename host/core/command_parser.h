// Reading the command texts a script sends to the host.
//
// A command is a two-letter code and fields separated by one blank: numbers in
// plain decimal, texts in apostrophes. Texts are inserted unescaped, so one
// field per command may itself hold apostrophes and blanks (the value of TP,
// IW and RM, the name of SD): that field is found by anchoring every other
// field at the start or the end of the text, as the host does.
//
// Pure functions; the result owns copies of the fields. Used by the simulator
// and by the protocol validator.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vrelhost {

struct HostCommand {
    std::string code;                // "CD", "TP", "RN", ...
    std::vector<std::string> texts;  // the text fields, in order
    std::vector<int> numbers;        // the number fields, in order
    bool add = false;                // IR and RR carried the 'ADD' suffix
};

// The command, or nothing with `error` set to a one-line reason.
std::optional<HostCommand> parseHostCommand(const std::string& text, std::string& error);

// True for the codes whose reply is a buffer the script must hand back.
bool isQueryCode(const std::string& code);
// True for the panel-file codes, whose reply is a status that is only tested.
bool isPanelFileCode(const std::string& code);

}  // namespace vrelhost
