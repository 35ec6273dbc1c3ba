#include "transcript_format.h"

#include <charconv>

namespace vrelhost {
namespace {

const std::string createStart = "create \"";

}  // namespace

std::string instancePrefix(int instance) {
    return "[" + std::to_string(instance) + "] ";
}

TranscriptLine splitInstance(const std::string& line) {
    if (line.size() < 4 || line[0] != '[') return TranscriptLine{0, line};
    const char* first = line.data() + 1;
    const char* last = line.data() + line.size();
    int instance = 0;
    auto [end, ec] = std::from_chars(first, last, instance);
    if (ec != std::errc() || end == first || instance <= 0 || last - end < 2 || end[0] != ']' ||
        end[1] != ' ')
        return TranscriptLine{0, line};
    return TranscriptLine{instance, std::string(end + 2, last)};
}

std::string inputLine(int number, const std::string& line) {
    return "# " + std::to_string(number) + ": " + line;
}

bool parseInputLine(const std::string& body, int& number, std::string& line) {
    if (body.compare(0, 2, "# ") != 0) return false;
    const char* first = body.data() + 2;
    const char* last = body.data() + body.size();
    auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end == first || number <= 0 || last - end < 2 || end[0] != ':' || end[1] != ' ')
        return false;
    line.assign(end + 2, last);
    return true;
}

std::string narrationLine(const std::string& sentence) {
    return "* " + sentence;
}

std::optional<std::string> parseNarrationLine(const std::string& body) {
    if (body.compare(0, 2, "* ") != 0) return std::nullopt;
    return body.substr(2);
}

std::string creationDescription(const std::string& creationText) {
    return createStart + creationText + "\"";
}

std::optional<std::string> parseCreationLine(const std::string& body) {
    const std::string start = "< " + createStart;
    if (body.size() < start.size() + 1 || body.compare(0, start.size(), start) != 0 || body.back() != '"')
        return std::nullopt;
    return body.substr(start.size(), body.size() - start.size() - 1);
}

bool isFoldedReads(const std::string& body) {
    return body.compare(0, 5, "> RN ") == 0 && body.find(" reads, first ") != std::string::npos;
}

LineKind lineKind(const std::string& body) {
    if (body.compare(0, 3, "!! ") == 0) return LineKind::error;
    if (body.size() < 2 || body[1] != ' ') return LineKind::other;
    switch (body[0]) {
    case '>': return LineKind::sent;
    case '=':
    case '-': return LineKind::reply;
    case '<': return LineKind::delivered;
    case '#': return LineKind::input;
    case '|': return LineKind::display;
    case '!': return LineKind::note;
    case '*': return LineKind::narration;
    default: return LineKind::other;
    }
}

const char* lineKindName(LineKind kind) {
    static const char* const names[] = {"sent", "reply", "delivered", "input", "display",
                                        "note", "error", "narration", "other"};
    return names[static_cast<int>(kind)];
}

}  // namespace vrelhost
