#include "host/protocol/command_grammar.h"

#include <charconv>
#include <cstring>

namespace vrelhost {
namespace {

// Field shapes: N a number, T a text, F the free text (may hold apostrophes),
// A the literal 'ADD'. Each code lists the shapes it may take (one or two).
struct CodeForm {
    char code[3];
    ReplyKind reply;
    const char* shapes[2];
};

constexpr CodeForm codes[] = {
    {"CD", ReplyKind::none, {"TT", nullptr}},    {"CE", ReplyKind::none, {"TT", nullptr}},
    {"CH", ReplyKind::none, {"TT", nullptr}},    {"CS", ReplyKind::none, {"TT", nullptr}},
    {"PI", ReplyKind::status, {"TT", "TTT"}},    {"PS", ReplyKind::status, {"TT", "TTT"}},
    {"PR", ReplyKind::status, {"T", nullptr}},   {"TP", ReplyKind::none, {"FTT", nullptr}},
    {"TG", ReplyKind::query, {"TTT", nullptr}},  {"SD", ReplyKind::query, {"F", nullptr}},
    {"XI", ReplyKind::query, {"TT", nullptr}},   {"IP", ReplyKind::none, {"NNN", nullptr}},
    {"IR", ReplyKind::none, {"NNN", "NNNA"}},    {"IU", ReplyKind::none, {"N", nullptr}},
    {"IW", ReplyKind::none, {"NFNN", nullptr}},  {"RR", ReplyKind::none, {"NNN", "NNNA"}},
    {"RM", ReplyKind::none, {"NNNFN", nullptr}}, {"RN", ReplyKind::query, {"NNN", nullptr}},
    {"ET", ReplyKind::none, {"N", "NN"}},        {"AS", ReplyKind::none, {"", nullptr}},
};

// Codes are two capital letters: a table of every pair finds one in constant
// time (the benchmark host looks up every command it is sent).
constexpr int pairOf(char a, char b) {
    return a >= 'A' && a <= 'Z' && b >= 'A' && b <= 'Z' ? (a - 'A') * 26 + (b - 'A') : -1;
}

struct CodeIndex {
    signed char form[26 * 26];
};

constexpr CodeIndex buildIndex() {
    CodeIndex index{};
    for (signed char& f : index.form) f = -1;
    for (int i = 0; i < static_cast<int>(sizeof codes / sizeof *codes); ++i)
        index.form[pairOf(codes[i].code[0], codes[i].code[1])] = static_cast<signed char>(i);
    return index;
}

constexpr CodeIndex codeIndex = buildIndex();

const CodeForm* formOf(const char* text) {
    if (!text || !text[0]) return nullptr;
    const int pair = pairOf(text[0], text[1]);
    if (pair < 0) return nullptr;
    const int form = codeIndex.form[pair];
    return form < 0 ? nullptr : &codes[form];
}

struct Field {
    char shape;
    std::string text;
    int number = 0;
};

bool readNumber(const std::string& s, int& out) {
    if (s.empty()) return false;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    auto [end, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && end == last;
}

// One field that holds no apostrophe or blank of its own: a number up to the
// next blank, a text up to the next apostrophe.
bool readPlainField(char shape, const std::string& token, Field& field) {
    field.shape = shape;
    if (shape == 'N') return readNumber(token, field.number);
    if (token.size() < 2 || token.front() != '\'' || token.back() != '\'') return false;
    field.text = token.substr(1, token.size() - 2);
    if (field.text.find('\'') != std::string::npos) return false;
    return shape != 'A' || field.text == "ADD";
}

// The length of the plain field that starts at `pos` (numbers end at a blank,
// texts at their closing apostrophe), or npos.
std::size_t plainLengthFrom(const std::string& s, std::size_t pos, char shape) {
    if (shape == 'N') {
        std::size_t blank = s.find(' ', pos);
        return (blank == std::string::npos ? s.size() : blank) - pos;
    }
    if (pos >= s.size() || s[pos] != '\'') return std::string::npos;
    std::size_t close = s.find('\'', pos + 1);
    return close == std::string::npos ? std::string::npos : close - pos + 1;
}

// The start of the plain field that ends at `end` (exclusive), or npos.
std::size_t plainStartBefore(const std::string& s, std::size_t end, char shape) {
    if (end == 0) return std::string::npos;
    if (shape == 'N') {
        std::size_t blank = s.rfind(' ', end - 1);
        return blank == std::string::npos ? 0 : blank + 1;
    }
    if (s[end - 1] != '\'' || end < 2) return std::string::npos;
    std::size_t open = s.rfind('\'', end - 2);
    return open;
}

bool parseShape(const std::string& rest, const std::string& shape, std::vector<Field>& out) {
    out.assign(shape.size(), Field{});
    const std::size_t free = shape.find('F');
    const std::size_t headCount = free == std::string::npos ? shape.size() : free;

    std::size_t pos = 0;  // fields before the free text, left to right
    for (std::size_t i = 0; i < headCount; ++i) {
        if (i > 0) {
            if (pos >= rest.size() || rest[pos] != ' ') return false;
            ++pos;
        }
        std::size_t length = plainLengthFrom(rest, pos, shape[i]);
        if (length == std::string::npos || length == 0) return false;
        if (!readPlainField(shape[i], rest.substr(pos, length), out[i])) return false;
        pos += length;
    }
    if (free == std::string::npos) return pos == rest.size();

    std::size_t end = rest.size();  // fields after the free text, right to left
    for (std::size_t i = shape.size(); i-- > free + 1;) {
        std::size_t start = plainStartBefore(rest, end, shape[i]);
        if (start == std::string::npos || start >= end) return false;
        if (!readPlainField(shape[i], rest.substr(start, end - start), out[i])) return false;
        if (start == 0 || rest[start - 1] != ' ') return false;
        end = start - 1;
    }
    if (free > 0) {
        if (pos >= rest.size() || rest[pos] != ' ') return false;
        ++pos;
    }
    if (end < pos + 2 || rest[pos] != '\'' || rest[end - 1] != '\'') return false;
    out[free].shape = 'F';
    out[free].text = rest.substr(pos + 1, end - pos - 2);
    return true;
}

}  // namespace

bool hasKnownCode(const char* text) { return formOf(text) && (text[2] == '\0' || text[2] == ' '); }

ReplyKind replyKindOf(const char* text) {
    const CodeForm* form = formOf(text);
    return form ? form->reply : ReplyKind::none;
}

std::string askedProperty(const std::string& command) {
    const std::size_t close = command.rfind('\'');
    if (close == std::string::npos || close == 0) return "";
    const std::size_t open = command.rfind('\'', close - 1);
    return open == std::string::npos ? "" : command.substr(open + 1, close - open - 1);
}

bool isQueryCode(const std::string& code) { return code.size() == 2 && replyKindOf(code.c_str()) == ReplyKind::query; }

bool isPanelFileCode(const std::string& code) {
    return code.size() == 2 && replyKindOf(code.c_str()) == ReplyKind::status;
}

std::optional<HostCommand> parseHostCommand(const std::string& text, std::string& error, GrammarError* kind) {
    if (kind) *kind = GrammarError::unknownCode;
    const CodeForm* known = text.size() >= 2 ? formOf(text.c_str()) : nullptr;
    if (!known) {
        error = "unknown command code";
        return std::nullopt;
    }
    const std::string code = text.substr(0, 2);
    std::string rest;
    if (text.size() > 2) {
        if (text[2] != ' ') {
            error = "the code must be followed by one blank";
            return std::nullopt;
        }
        rest = text.substr(3);
    }
    if (kind) *kind = GrammarError::fields;
    std::vector<Field> fields;
    for (const char* form : known->shapes) {
        if (!form) continue;
        const std::string shape = form;
        if (shape.empty() ? !rest.empty() || text.size() != 2 : !parseShape(rest, shape, fields)) continue;
        HostCommand command;
        command.code = code;
        for (const Field& f : fields) {
            if (f.shape == 'N') command.numbers.push_back(f.number);
            else if (f.shape == 'A') command.add = true;
            else command.texts.push_back(f.text);
            if (f.shape == 'F' && f.text.find('\'') != std::string::npos) command.ambiguous = true;
        }
        if (kind) *kind = GrammarError::none;
        return command;
    }
    error = "fields do not match the form of " + code;
    return std::nullopt;
}

}  // namespace vrelhost
