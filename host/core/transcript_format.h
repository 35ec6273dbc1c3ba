// The transcript's lines as text: how the lines a replay reads back are
// written and how they are parsed, in one place, so the writer, the replay
// and the browser view agree. The meaning of each kind of line is listed in
// transcript.h.
//
// With several instances of the script every line starts with the
// instance's prefix, "[K] " (K from 1); a single instance writes no prefix.
#pragma once

#include <optional>
#include <string>

namespace vrelhost {

// One record per line: every text the host writes into a transcript or
// console line goes through escapeText, so a name, a reply or a message that
// holds a line break can never start a line of its own. A backslash becomes
// "\\", a newline "\n", a carriage return "\r", a tab "\t", and every other
// control byte (0x00 to 0x1f, and DEL 0x7f) "\xNN" in lower-case hex; every
// other byte is itself, so a line that holds none of these is unchanged.
// unescapeText reads such a text back to the same bytes; false for an escape
// it did not write.
std::string escapeText(const std::string& text);
bool unescapeText(const std::string& escaped, std::string& text);

std::string instancePrefix(int instance);

// A line with its instance taken off: 0 when it carries no prefix.
struct TranscriptLine {
    int instance = 0;
    std::string body;
};
TranscriptLine splitInstance(const std::string& line);

// "# N: LINE", the echo of operator line N.
std::string inputLine(int number, const std::string& line);
bool parseInputLine(const std::string& body, int& number, std::string& line);

// "* SENTENCE", a narration line (what `say` wrote).
std::string narrationLine(const std::string& sentence);
std::optional<std::string> parseNarrationLine(const std::string& body);

// The description of the script's creation ("create \"FOLDER\""), and the
// creation text of a "< create ..." line.
std::string creationDescription(const std::string& creationText);
std::optional<std::string> parseCreationLine(const std::string& body);

// "% site copy NAME, fingerprint F": the first line of a transcript whose
// session kept the site as it was at its start in the file NAME (for a
// replay); F is fingerprintOf that file's bytes. A replay runs on such a
// copy only when its fingerprint is F: a copy left by an earlier session,
// or changed since, is never taken for this session's start.
std::string siteCopyLine(const std::string& copy, const std::string& text);
bool parseSiteCopyLine(const std::string& body, std::string& copy, std::string& fingerprint);
std::string fingerprintOf(const std::string& text);

// What a line (its instance taken off) records, by its mark; the names are
// those a reader of the log sees: sent (>), reply (= and -), delivered (<),
// input (#), display (|), note (!), error (!!), narration (*).
enum class LineKind { sent, reply, delivered, input, display, note, error, narration, other };
LineKind lineKind(const std::string& body);
const char* lineKindName(LineKind kind);

// Whether the line is the console's fold of a run of database reads, which
// only the console form writes.
bool isFoldedReads(const std::string& body);

}  // namespace vrelhost
