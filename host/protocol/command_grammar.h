// The grammar of the command texts a script sends to the host. The codes,
// their replies and their fields are listed once, in command_codes.def.
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
// A number field is plain decimal that fits a signed 32-bit int: a sign other
// than a leading "-", any character after the digits, or a value out of range
// refuses the command.
//
// Pure functions and a constant table; a parsed command owns copies of its
// fields. Used by every host here.
#pragma once

#include <optional>
#include <string>

#include "host/protocol/command_schema.h"

namespace vrelhost {

// A parsed command: its code and its fields by name (see command_schema.h).
struct HostCommand {
    CommandCode code = CommandCode::AS;
    // The struct of `code`; monostate only when a lenient host carries out a
    // command whose fields did not fit (see protocol_host.h).
    CommandFields fields;
    bool ambiguous = false;  // the free text field holds an apostrophe
};

enum class GrammarError { none, unknownCode, fields };

// The command, or nothing with `error` set to a one-line reason (and `kind`,
// when given, to what went wrong).
std::optional<HostCommand> parseHostCommand(const std::string& text, std::string& error,
                                            GrammarError* kind = nullptr);

// The code `text` begins with: its first two characters, when they are a
// known code. Allocates nothing.
std::optional<CommandCode> commandCodeOf(const char* text);
// True when `text` begins with a known code followed by a blank or its end.
bool hasKnownCode(const char* text);
// What a command with this text's code is answered with (none for unknown
// codes). Reads only the first two characters; allocates nothing.
ReplyKind replyKindOf(const char* text);

// The property a TG text asks for: its last field, between its last two
// apostrophes ("" when there are not two). Works on any text, also one that
// does not fit the grammar, as a host answering implausibly must.
std::string askedProperty(const std::string& command);

}  // namespace vrelhost
