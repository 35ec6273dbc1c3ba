#include "view_actions.h"

#include <chrono>
#include <optional>

#include "view_model.h"

namespace vrelhost {
namespace {

using nlohmann::json;

ActionReply refused(int status, const std::string& message) { return {status, {{"error", message}}}; }

// A panel id, control name or event: printable ASCII without blanks, so it
// stays one word of one operator line.
bool isWord(const std::string& text, std::size_t longest) {
    if (text.empty() || text.size() > longest) return false;
    for (unsigned char c : text)
        if (c <= ' ' || c >= 0x7f) return false;
    return true;
}

// The JSON object of a request body, or nothing.
std::optional<json> object(const std::string& body) {
    json value = json::parse(body, nullptr, false);
    if (value.is_discarded() || !value.is_object()) return std::nullopt;
    return value;
}

// A word member: "" when it is optional and missing; nothing when it is bad.
std::optional<std::string> wordMember(const json& body, const char* key, bool required) {
    auto it = body.find(key);
    if (it == body.end() && !required) return std::string();
    if (it == body.end() || !it->is_string() || !isWord(it->get<std::string>(), 256)) return std::nullopt;
    return it->get<std::string>();
}

const Control* findControl(const PanelSlots::Slot& slot, const std::string& name) {
    for (const Control& c : slot.controls)
        if (c.name == name) return &c;
    return nullptr;
}

// The code point of the one UTF-8 character that `text` holds, or nothing
// (not UTF-8, an overlong form, a surrogate, or more than one character).
std::optional<char32_t> oneCharacter(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t length;
    char32_t code;
    if (bytes[0] < 0x80) {
        length = 1;
        code = bytes[0];
    } else if (bytes[0] >= 0xc2 && bytes[0] <= 0xdf) {
        length = 2;
        code = bytes[0] & 0x1f;
    } else if (bytes[0] >= 0xe0 && bytes[0] <= 0xef) {
        length = 3;
        code = bytes[0] & 0x0f;
    } else if (bytes[0] >= 0xf0 && bytes[0] <= 0xf4) {
        length = 4;
        code = bytes[0] & 0x07;
    } else {
        return std::nullopt;
    }
    if (text.size() != length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xc0) != 0x80) return std::nullopt;
        code = (code << 6) | (bytes[i] & 0x3f);
    }
    static const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return std::nullopt;
    return code;
}

}  // namespace

bool isKeyName(const std::string& key) {
    if (key == "space" || key == "backspace" || key == "return") return true;
    const std::optional<char32_t> c = oneCharacter(key);
    // Control characters would break the line or the display; a blank is "space".
    return c && *c > 0x20 && *c != 0x7f && !(*c >= 0x80 && *c <= 0x9f);
}

ActionReply ViewActions::run(const std::string& line) {
    clock_.catchUp(std::chrono::steady_clock::now());
    std::string error;
    if (!source_.runLine(line, error)) return refused(500, error);
    return {200, {{"line", line}}};
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
    auto slot = source_.panels().find(*panel);
    if (slot == source_.panels().end()) return refused(404, "no panel " + *panel);
    const Control* found = findControl(slot->second, *control);
    if (!found) return refused(404, "panel " + *panel + " has no control " + *control);
    if (found->property("type") == "keyboard")
        return refused(400, *control + " is a keyboard: send its keys to /api/key");
    if (!source_.alive()) return refused(409, "the script is gone");
    if (!slot->second.onScreen) return refused(409, "panel " + *panel + " is not on screen");
    if (!found->visible()) return refused(409, *control + " is hidden");
    if (!found->enabled()) return refused(409, *control + " is disabled");
    return run("press " + *panel + " " + *control + (event->empty() ? "" : " " + *event));
}

ActionReply ViewActions::key(const std::string& text) {
    const std::optional<json> body = object(text);
    if (!body) return refused(400, "the body must be a JSON object");
    auto member = body->find("key");
    if (member == body->end() || !member->is_string() || !isKeyName(member->get<std::string>()))
        return refused(400, "a key is one character, space, backspace or return");
    auto slot = source_.panels().find(source_.keyboardPanel());
    const Control* keyboard =
        slot == source_.panels().end() ? nullptr : findControl(slot->second, source_.keyboardControl());
    if (!keyboard) return refused(404, "there is no keyboard");
    if (!source_.alive()) return refused(409, "the script is gone");
    if (!slot->second.onScreen || !keyboard->visible() || !keyboard->enabled())
        return refused(409, "the keyboard takes no keys now");
    return run("key " + member->get<std::string>());
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

json ViewActions::panelsState() const {
    const std::string site = source_.siteFile();
    return {{"panels", panelsJson(source_)},
            {"clock", clock_.json()},
            {"alive", source_.alive()},
            {"siteFile", site.empty() ? json() : json(site)},
            {"keyboard", {{"panel", source_.keyboardPanel()}, {"control", source_.keyboardControl()}}}};
}

ActionReply ViewActions::state() const {
    json out = panelsState();
    out["site"] = siteJson(source_.devices());
    return {200, std::move(out)};
}

}  // namespace vrelhost
