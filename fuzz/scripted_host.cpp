#include "scripted_host.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
char statusText[] = "ok";  // a panel command's status: only ever tested for null

bool hasCode(const std::string& command, const char* code) { return command.compare(0, 2, code) == 0; }

bool isQuery(const std::string& command) {
    return hasCode(command, "SD") || hasCode(command, "XI") || hasCode(command, "RN") || hasCode(command, "TG");
}

bool isPanelCommand(const std::string& command) {
    return hasCode(command, "PI") || hasCode(command, "PS") || hasCode(command, "PR");
}

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

// The property a TG asks for: its last field, between the last two apostrophes.
std::string askedProperty(const std::string& command) {
    const std::size_t close = command.rfind('\'');
    if (close == std::string::npos || close == 0) return "";
    const std::size_t open = command.rfind('\'', close - 1);
    if (open == std::string::npos) return "";
    return command.substr(open + 1, close - open - 1);
}
}  // namespace

ScriptedHost::~ScriptedHost() {
    for (void* reply : outstanding_) delete[] static_cast<char*>(reply);
}

std::uint8_t ScriptedHost::nextByte() {
    if (script_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(script_[cursor_]);
    cursor_ = (cursor_ + 1) % script_.size();
    return b;
}

std::string ScriptedHost::nextText() {
    std::string text;
    const std::uint8_t length = nextByte();
    if (length == 255) return std::string(1000, 'x');
    for (std::uint8_t i = 0; i < length && !script_.empty(); ++i) text += static_cast<char>(nextByte());
    return text;
}

void ScriptedHost::checkCommand(const char* text) {
    FUZZ_CHECK(text != nullptr, "a command text is never null");
    FUZZ_CHECK(!closed_, "nothing is sent after AS");
    FUZZ_CHECK(isUpper(text[0]) && isUpper(text[1]) && (text[2] == '\0' || text[2] == ' '),
               "a command begins with its two-letter code");
    if (std::strcmp(text, "AS") == 0) closed_ = true;
}

void* ScriptedHost::answerQuery(const std::string& command) {
    if (script_.empty()) return nullptr;
    std::string reply;
    switch (nextByte() % 8) {
    case 0: return nullptr;
    case 1: break;  // empty
    case 2: reply.assign(1000, 'y'); break;
    case 3: reply = nextText(); reply.erase(std::remove(reply.begin(), reply.end(), '='), reply.end()); break;
    case 4: reply = askedProperty(command) + "=" + nextText(); break;
    case 5: reply = askedProperty(command) + "=" + std::string(1000, 'z'); break;
    case 6: {
        const int device = static_cast<int>(nextByte()) - 8;  // a few negatives too
        reply = std::to_string(device);
        if (nextByte() % 2) reply += " " + std::to_string(nextByte());
        break;
    }
    default: reply = nextText(); break;
    }
    if (hasCode(command, "SD")) devices_.push_back(std::atoi(reply.c_str()));
    // The reply ends at its first NUL, like any C text.
    reply.resize(std::strlen(reply.c_str()));
    char* buffer = new char[reply.size() + 1];
    std::memcpy(buffer, reply.c_str(), reply.size() + 1);
    outstanding_.insert(buffer);
    return buffer;
}

void* ScriptedHost::panelStatus() { return nextByte() % 4 == 0 ? nullptr : statusText; }

void* ScriptedHost::notify(void* data, int kind) {
    if (kind == vrel_kind::release) {
        if (!data) return nullptr;
        FUZZ_CHECK(outstanding_.erase(data) == 1, "a reply is handed back once, and only one this host gave");
        delete[] static_cast<char*>(data);
        return nullptr;
    }
    FUZZ_CHECK(kind == vrel_kind::command, "a script sends only kinds 0 and 5");
    checkCommand(static_cast<const char*>(data));
    const std::string command(static_cast<const char*>(data));
    if (isPanelCommand(command)) return panelStatus();
    if (isQuery(command)) return answerQuery(command);
    return nullptr;
}

void ScriptedHost::expectRepliesHandedBack() const {
    FUZZ_CHECK(outstanding_.empty(), "every reply is handed back before the call returns");
}
