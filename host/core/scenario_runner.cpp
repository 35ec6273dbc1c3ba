#include "scenario_runner.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <utility>

#include "display_wall_view.h"
#include "operator_rules.h"
#include "panel_view.h"
#include "transcript_format.h"

namespace vrelhost {
namespace {

// The first word of `text` and what follows it (one blank dropped).
std::string nextWord(std::string& text) {
    std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) {
        text.clear();
        return std::string();
    }
    std::size_t end = text.find(' ', start);
    std::string word = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    text = end == std::string::npos ? std::string() : text.substr(end + 1);
    return word;
}

bool readInt(const std::string& word, long long low, long long high, long long& out) {
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
    return !word.empty() && ec == std::errc() && end == word.data() + word.size() && out >= low && out <= high;
}

bool readInts(std::string& rest, int count, std::vector<int>& out, std::string& error) {
    for (int i = 0; i < count; ++i) {
        std::string word = nextWord(rest);
        long long value = 0;
        if (!readInt(word, INT32_MIN, INT32_MAX, value)) {
            error = word.empty() ? "a number is missing" : "\"" + shownText(word) + "\" is not a number";
            return false;
        }
        out.push_back(static_cast<int>(value));
    }
    return true;
}

std::string trimmed(const std::string& s) {
    std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string keyNames() {
    std::string names;
    for (const std::string& key : namedKeys()) names += (names.empty() ? "" : ", ") + key;
    return names;
}

// The keyboard's own handling of a key, before it tells the script. A key is
// one character of any script (UTF-8, or one byte of another code page);
// the keyboard keeps every byte typed, however long the text grows: cutting
// it to what a name holds is the script's business.
std::string keyboardText(std::string text, const std::string& key) {
    if (key == "space") return text + " ";
    if (key == "backspace") {
        if (text.empty()) return text;
        const std::vector<std::string> characters = charactersOf(text);
        return text.substr(0, text.size() - characters.back().size());
    }
    if (charactersOf(key).size() == 1) return text + key;
    return text;  // return and other named keys change nothing
}

}  // namespace

const std::vector<ScenarioRunner::Verb>& ScenarioRunner::verbs() {
    static const std::vector<Verb> table = {
        {"press", "PANEL CONTROL [EVENT]", "operate a control (event default button=released)",
         &ScenarioRunner::pressLine},
        {"key", "NAME", "one key on the keyboard (a character, space, backspace, return)", &ScenarioRunner::keyLine},
        {"type", "TEXT", "one key per character", &ScenarioRunner::typeLine},
        {"wait", "MS", "let the simulated clock run; timers tick", &ScenarioRunner::waitLine},
        {"revertive", "DEVICE INDEX TEXT", "a device reports a slot's value", &ScenarioRunner::revertiveLine},
        {"dbchange", "DEVICE DATABASE INDEX TEXT", "a device reports a renamed entry", &ScenarioRunner::dbchangeLine},
        {"parent", "TEXT", "a parent command; the answer is shown", &ScenarioRunner::parentLine},
        {"show", "[PANEL or displays]", "draw a panel, or all of them, or what the displays show",
         &ScenarioRunner::showLine},
        {"say", "TEXT", "a sentence of the story, into the transcript as a * line", &ScenarioRunner::sayLine},
        {"help", "", "this list", &ScenarioRunner::helpLine},
        {"quit", "", "stop reading lines (also: exit)", &ScenarioRunner::quitLine},
    };
    return table;
}

std::string ScenarioRunner::verbHelp() {
    std::string text;
    for (const Verb& v : verbs()) {
        std::string usage = std::string(v.verb) + (*v.arguments ? " " : "") + v.arguments;
        usage.resize(std::max<std::size_t>(usage.size() + 2, 30), ' ');
        text += usage + v.help + "\n";
    }
    return text;
}

std::string ScenarioRunner::help() const {
    std::string text = verbHelp();
    text += options_.keyboardControl.empty()
                ? std::string("(this profile has no keyboard: key and type are refused)\n")
                : "(the keyboard is " + options_.keyboardControl + " on panel " + options_.keyboardPanel + ")\n";
    return text + options_.helpNote;
}

void ScenarioRunner::toScreen(const std::string& text) {
    if (options_.screen) *options_.screen << text << std::flush;
}

void ScenarioRunner::repeatOnScreen(const std::string& text) {
    if (options_.repeatOnScreen) toScreen(text);
}

ScenarioRunner::Outcome ScenarioRunner::press(const std::string& panel, const std::string& control,
                                              const std::string& event, std::string& error) {
    const PressRule rule = pressRule(host_.panels(), panel, control);
    if (rule.verdict == PressRule::Verdict::mistake) {
        error = rule.reason;
        return Outcome::error;
    }
    if (rule.verdict == PressRule::Verdict::refused) {
        // A message line: it reaches the screen too, like every other.
        transcript_.note("refused: " + rule.reason + ", so it sends no event");
        error = rule.reason;
        return Outcome::refused;
    }
    session_.button(panel, control, event);
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::key(const std::string& name, std::string& error) {
    const std::string& panel = options_.keyboardPanel;
    const std::string& keyboard = options_.keyboardControl;
    if (keyboard.empty()) {
        error = "this profile has no keyboard to press";
        return Outcome::error;
    }
    if (!isKey(name)) {
        error = "\"" + shownText(name) + "\" is not a key: one character, or one of " + keyNames();
        return Outcome::error;
    }
    // The keyboard edits its own text only when it takes the press.
    if (pressRule(host_.panels(), panel, keyboard).taken()) {
        Control* c = host_.panels().control(panel, keyboard);
        c->properties["text"] = keyboardText(c->property("text"), name);
    }
    return press(panel, keyboard, "key." + name, error);
}

ScenarioRunner::Outcome ScenarioRunner::showLine(std::string& rest, std::string& error) {
    const std::string panel = nextWord(rest);
    if (!trimmed(rest).empty()) {
        error = "show takes at most one panel";
        return Outcome::error;
    }
    std::string drawing;
    if (panel == "displays") {
        if (!options_.displays) {
            error = "this profile declares no displays";
            return Outcome::error;
        }
        drawing = drawDisplays(options_.displays->state());
    } else if (panel.empty()) {
        for (const auto& [id, slot] : host_.panels().all()) drawing += drawPanel(id, slot);
        if (drawing.empty()) drawing = "no panel is loaded\n";
    } else {
        const PanelSlots::Slot* slot = std::as_const(host_.panels()).slot(panel);
        if (!slot) {
            error = "no panel in slot " + shownText(panel);
            return Outcome::error;
        }
        drawing = drawPanel(panel, *slot);
    }
    transcript_.display(drawing);
    repeatOnScreen(drawing);
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::pressLine(std::string& rest, std::string& error) {
    const std::string panel = nextWord(rest), control = nextWord(rest);
    const std::string event = trimmed(rest);
    if (panel.empty() || control.empty()) {
        error = "press needs a panel and a control";
        return Outcome::error;
    }
    return press(panel, control, event.empty() ? "button=released" : event, error);
}

ScenarioRunner::Outcome ScenarioRunner::keyLine(std::string& rest, std::string& error) {
    const std::string name = nextWord(rest);
    if (name.empty() || !trimmed(rest).empty()) {
        error = "key needs one key name";
        return Outcome::error;
    }
    return key(name, error);
}

ScenarioRunner::Outcome ScenarioRunner::typeLine(std::string& rest, std::string& error) {
    if (rest.empty()) {
        error = "type needs a text";
        return Outcome::error;
    }
    for (const std::string& character : charactersOf(rest)) {
        if (key(character == " " ? std::string("space") : character, error) == Outcome::error) return Outcome::error;
    }
    error.clear();  // a key the keyboard refused is told in the transcript; the line goes on
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::waitLine(std::string& rest, std::string& error) {
    const std::string word = nextWord(rest);
    long long ms = 0;
    if (!readInt(word, 0, longestWait, ms) || !trimmed(rest).empty()) {
        error = "wait needs a number of milliseconds, 0 to " + std::to_string(longestWait);
        return Outcome::error;
    }
    if (options_.wait) options_.wait(ms);
    else session_.wait(ms);
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::revertiveLine(std::string& rest, std::string& error) {
    std::vector<int> numbers;
    if (!readInts(rest, 2, numbers, error)) return Outcome::error;
    session_.revertive(numbers[0], numbers[1], rest);
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::dbchangeLine(std::string& rest, std::string& error) {
    std::vector<int> numbers;
    if (!readInts(rest, 3, numbers, error)) return Outcome::error;
    session_.databaseChange(numbers[0], numbers[1], numbers[2], rest);
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::parentLine(std::string& rest, std::string&) {
    std::optional<std::string> answer = session_.parent(rest);
    repeatOnScreen(answer ? "parent answer: " + escapeText(*answer) + "\n"
                          : std::string("parent answer: none\n"));
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::sayLine(std::string& rest, std::string& error) {
    const std::string sentence = trimmed(rest);
    if (sentence.empty()) {
        error = "say needs a sentence";
        return Outcome::error;
    }
    transcript_.narration(sentence);
    repeatOnScreen("\n* " + escapeText(sentence) + "\n");
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::helpLine(std::string& rest, std::string& error) {
    if (!trimmed(rest).empty()) {
        error = "help takes nothing after it";
        return Outcome::error;
    }
    toScreen(help());
    return Outcome::done;
}

ScenarioRunner::Outcome ScenarioRunner::quitLine(std::string& rest, std::string& error) {
    if (!trimmed(rest).empty()) {
        error = "quit takes nothing after it";
        return Outcome::error;
    }
    return Outcome::quit;
}

ScenarioRunner::Outcome ScenarioRunner::runLine(const std::string& line, std::string& error) {
    std::string rest = line;
    std::string verb = nextWord(rest);
    if (verb == "exit") verb = "quit";
    for (const Verb& v : verbs())
        if (verb == v.verb) return (this->*v.handler)(rest, error);
    error = "unknown line \"" + shownText(verb) + "\" (try help)";
    return Outcome::error;
}

ScenarioRunner::Outcome ScenarioRunner::feed(const std::string& raw, std::string& error, int number) {
    lineNumber_ = number > 0 ? number : lineNumber_ + 1;
    echoedLast_ = false;
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string content = trimmed(line);
    if (content.empty() || content[0] == '#') return Outcome::done;
    // A narration line stands for its own echo.
    const bool narration = content.compare(0, 4, "say ") == 0 || content == "say";
    echoedLast_ = options_.echoInput && !narration;
    if (echoedLast_) transcript_.input(lineNumber_, content);
    return runLine(content, error);
}

bool ScenarioRunner::run(std::istream& in, std::ostream& errors, bool interactive, const std::string& source) {
    StreamLineReader reader(in, interactive ? options_.screen : nullptr, "vrel> ");
    const bool ok = run(reader, errors, interactive, source);
    if (interactive) toScreen("\n");
    return ok;
}

bool ScenarioRunner::run(LineReader& in, std::ostream& errors, bool interactive, const std::string& source) {
    std::string line;
    for (;;) {
        if (!in.read(line)) {
            if (in.failure().empty()) break;
            errors << source << ":" << lineNumber_ + 1 << ": " << in.failure() << "\n";
            return false;
        }
        std::string error;
        Outcome outcome = feed(line, error);
        if (outcome == Outcome::quit) break;
        if (outcome == Outcome::error) {
            transcript_.flush();
            errors << source << ":" << lineNumber_ << ": " << error << "\n";
            if (!interactive) return false;
        }
        if (!session_.alive()) break;
    }
    return true;
}

}  // namespace vrelhost
