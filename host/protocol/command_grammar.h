// The grammar of the command texts a script sends to the host, and the list
// of codes with what the host answers each.
//
// A command is a two-letter code and fields separated by one blank: numbers in
// plain decimal, texts in apostrophes. Texts are inserted unescaped, so one
// field per command may itself hold apostrophes and blanks (the value of TP,
// IW and RM, the name of SD): that field is found by anchoring every other
// field at the start or the end of the text. When that free field holds an
// apostrophe, the split is a guess a real host may not share (`RM 60 1 5 'a'
// 'b' 0` may be the name "a' 'b" or a field too many): the command is marked
// ambiguous, so a host can warn about it.
//
// Pure functions and a constant table; a parsed command owns copies of its
// fields. Used by every host here.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vrelhost {

// What the host answers a command with.
enum class ReplyKind {
    none,    // null
    query,   // a reply buffer the script must hand back with kind 5, or null
    status,  // PI, PS, PR: a status the script only tests for null, never hands back
};

struct HostCommand {
    std::string code;                // "CD", "TP", "RN", ...
    std::vector<std::string> texts;  // the text fields, in order
    std::vector<int> numbers;        // the number fields, in order
    bool add = false;                // IR and RR carried the 'ADD' suffix
    bool ambiguous = false;          // the free text field holds an apostrophe
};

enum class GrammarError { none, unknownCode, fields };

// The command, or nothing with `error` set to a one-line reason (and `kind`,
// when given, to what went wrong).
std::optional<HostCommand> parseHostCommand(const std::string& text, std::string& error,
                                            GrammarError* kind = nullptr);

// True when `text` begins with a known code followed by a blank or its end.
bool hasKnownCode(const char* text);
// What a command with this text's code is answered with (none for unknown
// codes). Reads only the first two characters; allocates nothing.
ReplyKind replyKindOf(const char* text);

// The property a TG text asks for: its last field, between its last two
// apostrophes ("" when there are not two). Works on any text, also one that
// does not fit the grammar, as a host answering implausibly must.
std::string askedProperty(const std::string& command);

// True for the codes whose reply is a buffer the script must hand back.
bool isQueryCode(const std::string& code);
// True for the panel-file codes, whose reply is a status that is only tested.
bool isPanelFileCode(const std::string& code);

}  // namespace vrelhost
