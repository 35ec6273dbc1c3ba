#include "transcript_format.h"

#include <charconv>
#include <cstdint>

namespace vrelhost {
namespace {

const std::string createStart = "create \"";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string escapeText(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char byte : text) {
        const unsigned char c = static_cast<unsigned char>(byte);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7f)
                    out += std::string("\\x") + digits[c >> 4] + digits[c & 0x0f];
                else
                    out += byte;
        }
    }
    return out;
}

bool unescapeText(const std::string& escaped, std::string& text) {
    text.clear();
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\') {
            text += escaped[i];
            continue;
        }
        if (++i == escaped.size()) return false;
        switch (escaped[i]) {
            case '\\':
                text += '\\';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'x': {
                const int high = i + 2 < escaped.size() ? hexDigit(escaped[i + 1]) : -1;
                const int low = high >= 0 ? hexDigit(escaped[i + 2]) : -1;
                if (low < 0) return false;
                text += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

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

namespace {
const std::string copyStart = "% site copy ", copyFingerprint = ", fingerprint ";
}  // namespace

// FNV-1a, 64 bits, and the size: enough to tell a copy from another file;
// nothing here guards against a forger.
std::string fingerprintOf(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (int shift = 60; shift >= 0; shift -= 4) hex += digits[(hash >> shift) & 0x0f];
    return std::to_string(text.size()) + "-" + hex;
}

std::string siteCopyLine(const std::string& copy, const std::string& text) {
    return copyStart + copy + copyFingerprint + fingerprintOf(text);
}

bool parseSiteCopyLine(const std::string& body, std::string& copy, std::string& fingerprint) {
    const std::size_t at = body.rfind(copyFingerprint);
    if (body.compare(0, copyStart.size(), copyStart) != 0 || at == std::string::npos || at < copyStart.size())
        return false;
    copy = body.substr(copyStart.size(), at - copyStart.size());
    fingerprint = body.substr(at + copyFingerprint.size());
    return !copy.empty() && !fingerprint.empty();
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
