#include "host/protocol/command_grammar.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <vector>

namespace vrelhost {
namespace {

// Each code's reply and the shapes of its fields, one letter each: N a
// number, T a text, F the free text (may hold apostrophes), A the literal
// 'ADD'; a lower-case letter is a last field that may be left out.
struct CodeForm {
    char code[3];
    ReplyKind reply;
    const char* form;
};

constexpr CodeForm codes[] = {
#define HOST_FIELD(shape, name) #shape
#define HOST_COMMAND(code, reply, fields) {#code, ReplyKind::reply, "" fields},
#include "host/protocol/command_codes.def"
};
static_assert(sizeof codes / sizeof *codes == commandCodeCount, "one form per code");

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

// A parsed field into the member of its name: required fields always have
// one (the form matched), an optional field may not.
void assign(std::string& member, const Field* field) { member = field->text; }
void assign(int& member, const Field* field) { member = field->number; }
void assign(std::optional<std::string>& member, const Field* field) {
    if (field) member = field->text;
}
void assign(std::optional<int>& member, const Field* field) {
    if (field) member = field->number;
}
void assign(bool& member, const Field* field) { member = field != nullptr; }

template <class Fields>
CommandFields fill(const std::vector<Field>& parsed) {
    Fields fields;
    std::size_t next = 0;
    eachField(fields, [&](const char*, auto& member) {
        assign(member, next < parsed.size() ? &parsed[next] : nullptr);
        ++next;
    });
    return fields;
}

// The struct of each code, filled from its parsed fields; in code order.
using Filler = CommandFields (*)(const std::vector<Field>&);
constexpr Filler fillers[] = {
#define HOST_COMMAND(code, reply, fields) &fill<cmd::code>,
#include "host/protocol/command_codes.def"
};
static_assert(sizeof fillers / sizeof *fillers == commandCodeCount, "one struct per code");

// The shapes a form may take, shortest first: without its optional last
// field, then with it.
int shapesOf(const char* form, std::string shapes[2]) {
    shapes[0] = form;
    if (shapes[0].empty() || !std::islower(static_cast<unsigned char>(shapes[0].back()))) return 1;
    shapes[1] = shapes[0];
    shapes[1].back() = static_cast<char>(std::toupper(static_cast<unsigned char>(shapes[1].back())));
    shapes[0].pop_back();
    return 2;
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

const char* codeName(CommandCode code) { return codes[static_cast<int>(code)].code; }

ReplyKind replyOf(CommandCode code) { return codes[static_cast<int>(code)].reply; }

std::optional<CommandCode> commandCodeOf(const char* text) {
    const CodeForm* form = formOf(text);
    if (!form) return std::nullopt;
    return static_cast<CommandCode>(form - codes);
}

std::optional<HostCommand> parseHostCommand(const std::string& text, std::string& error, GrammarError* kind) {
    if (kind) *kind = GrammarError::unknownCode;
    const CodeForm* known = text.size() >= 2 ? formOf(text.c_str()) : nullptr;
    if (!known) {
        error = "unknown command code";
        return std::nullopt;
    }
    const auto code = static_cast<CommandCode>(known - codes);
    std::string rest;
    if (text.size() > 2) {
        if (text[2] != ' ') {
            error = "the code must be followed by one blank";
            return std::nullopt;
        }
        rest = text.substr(3);
    }
    if (kind) *kind = GrammarError::fields;
    std::string shapes[2];
    const int shapeCount = shapesOf(known->form, shapes);
    std::vector<Field> fields;
    for (int i = 0; i < shapeCount; ++i) {
        const std::string& shape = shapes[i];
        if (shape.empty() ? !rest.empty() || text.size() != 2 : !parseShape(rest, shape, fields)) continue;
        HostCommand command;
        command.code = code;
        command.fields = fillers[static_cast<int>(code)](fields);
        for (const Field& f : fields)
            if (f.shape == 'F' && f.text.find('\'') != std::string::npos) command.ambiguous = true;
        if (kind) *kind = GrammarError::none;
        return command;
    }
    error = "fields do not match the form of " + std::string(known->code);
    return std::nullopt;
}

}  // namespace vrelhost
