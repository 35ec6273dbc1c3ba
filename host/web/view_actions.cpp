#include "view_actions.h"

#include <chrono>
#include <optional>

namespace vrelhost {
namespace {

using nlohmann::json;

ActionReply refused(int status, const std::string& message) { return {status, {{"error", message}}}; }

// Printable without blanks, so it stays one word of one operator line. A
// JSON text is UTF-8 already; bytes from 0x80 on are its other characters.
bool isWord(const std::string& text, std::size_t longest) {
    if (text.empty() || text.size() > longest) return false;
    for (unsigned char c : text)
        if (c <= ' ' || c == 0x7f) return false;
    return true;
}

// The JSON object of a request body, or nothing.
std::optional<json> object(const std::string& body) {
    json value = json::parse(body, nullptr, false);
    if (value.is_discarded() || !value.is_object()) return std::nullopt;
    return value;
}

// A word member: "" when it is optional and missing; nothing when it is bad.
std::optional<std::string> wordMember(const json& body, const char* key, bool required, std::size_t longest = 256) {
    auto it = body.find(key);
    if (it == body.end() && !required) return std::string();
    if (it == body.end() || !it->is_string() || !isWord(it->get<std::string>(), longest)) return std::nullopt;
    return it->get<std::string>();
}

// The position a body names: 1 when it names none; nothing when it is no position number.
std::optional<int> positionMember(const json& body) {
    auto it = body.find("position");
    if (it == body.end()) return 1;
    if (!it->is_number_integer() || *it < 1 || *it > 999) return std::nullopt;
    return it->get<int>();
}

}  // namespace

ActionReply ViewActions::runAction(int position, const std::string& line) {
    clock_.catchUp(std::chrono::steady_clock::now());
    const std::string addressed = source_.lineFor(position, line);
    const ViewSource::LineResult result = source_.runLine(addressed);
    using Outcome = ViewSource::LineResult::Outcome;
    if (result.outcome == Outcome::done) return {200, {{"line", addressed}}};
    const bool gone = position <= source_.positions() && !source_.alive(position);
    return refused(result.outcome == Outcome::refused || gone ? 409 : 400, result.message);
}

ActionReply ViewActions::press(const std::string& text) {
    const std::optional<json> body = object(text);
    if (!body) return refused(400, "the body must be a JSON object");
    const std::optional<std::string> panel = wordMember(*body, "panel", true);
    const std::optional<std::string> control = wordMember(*body, "control", true);
    const std::optional<std::string> event = wordMember(*body, "event", false);
    for (auto [value, name] : {std::pair{&panel, "panel"}, {&control, "control"}, {&event, "event"}})
        if (!*value)
            return refused(400, std::string("\"") + name + "\" must be a text of printable characters without blanks");
    const std::optional<int> position = positionMember(*body);
    if (!position) return refused(400, "\"position\" must be a position's number");
    return runAction(*position, "press " + *panel + " " + *control + (event->empty() ? "" : " " + *event));
}

ActionReply ViewActions::key(const std::string& text) {
    const std::optional<json> body = object(text);
    if (!body) return refused(400, "the body must be a JSON object");
    const std::optional<std::string> key = wordMember(*body, "key", true, 16);
    if (!key) return refused(400, "a key is one character, space, backspace or return");
    const std::optional<int> position = positionMember(*body);
    if (!position) return refused(400, "\"position\" must be a position's number");
    return runAction(*position, "key " + *key);
}

ActionReply ViewActions::clock(const std::string& text) {
    const std::optional<json> body = object(text);
    if (!body) return refused(400, "the body must be a JSON object");
    auto speed = body->find("speed");
    auto step = body->find("step");
    const bool wantsStep = step != body->end() && *step == true;
    const bool speedOk = speed != body->end() && speed->is_number_integer() && *speed >= 0 &&
                         *speed <= ClockDriver::fastest;
    if ((speed == body->end()) == !wantsStep || (speed != body->end() && !speedOk))
        return refused(400, "send {\"speed\": 0 to 100} or {\"step\": true}");
    const auto now = std::chrono::steady_clock::now();
    if (wantsStep && !clock_.step(now)) return refused(409, "no timer runs");
    if (!wantsStep) clock_.setSpeed(speed->get<int>(), now);
    return {200, {{"clock", clock_.json()}}};
}

}  // namespace vrelhost
