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
