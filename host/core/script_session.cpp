#include "script_session.h"

#include "transcript_format.h"

namespace vrelhost {
namespace {

// A script that keeps answering reports with more reports would never let the
// operator in; past this many in one go, the rest are dropped and reported.
constexpr std::size_t maxReportsPerSettle = 100000;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

bool ScriptSession::create(ScriptLibrary::Entry entry, const std::string& creationText) {
    transcript_.delivered(creationDescription(creationText));
    if (!driver_.create(entry, creationText.c_str())) {
        transcript_.note("the library created no script");
        return false;
    }
    settle();
    return true;
}

void ScriptSession::button(const std::string& panel, const std::string& control, const std::string& event) {
    if (!driver_.alive()) return;
    transcript_.delivered("button panel " + panel + " control " + control + " event " + quoted(event));
    driver_.button(panel, control, event);
    settle();
}

void ScriptSession::revertive(int device, int index, const std::string& text) {
    deliver(PendingReport{PendingReport::Kind::revertive, device, 0, index, text});
    settle();
}

void ScriptSession::databaseChange(int device, int database, int index, const std::string& text) {
    deliver(PendingReport{PendingReport::Kind::database, device, database, index, text});
    settle();
}

std::optional<std::string> ScriptSession::parent(const std::string& text) {
    if (!driver_.alive()) return std::nullopt;
    transcript_.delivered("parent " + quoted(text));
    std::optional<std::string> result = driver_.parent(text.c_str());  // the answer is handed back at once
    if (result) transcript_.reply(*result);
    else transcript_.noReply();
    settle();
    return result;
}

void ScriptSession::wait(long long milliseconds) {
    TimerSet& timers = host_.timers();
    const long long until = timers.now() + milliseconds;
    while (tickBefore(until)) {
    }
    timers.settle(until);
}

std::optional<long long> ScriptSession::nextTick() const {
    if (!driver_.alive()) return std::nullopt;
    return host_.timers().nextDue();
}

bool ScriptSession::tickBefore(long long until) {
    if (!driver_.alive()) return false;
    TimerSet& timers = host_.timers();
    std::optional<int> id = timers.takeNextTick(until);
    if (!id) return false;
    transcript_.delivered("tick timer " + std::to_string(*id) + " at " + std::to_string(timers.now()) +
                          " ms");
    driver_.tick(*id);
    settle();
    return true;
}

void ScriptSession::destroy() {
    if (!driver_.alive()) return;
    transcript_.delivered("destroy");
    driver_.destroy();
    // Nobody left to tell; what the other instances registered stays theirs.
    host_.exchange().forget(host_.instance());
}

void ScriptSession::receive(const PendingReport& report) {
    deliver(report);
    host_.afterCall();
}

void ScriptSession::deliver(const PendingReport& report) {
    if (!driver_.alive()) return;
    if (report.kind == PendingReport::Kind::revertive) {
        transcript_.delivered("revertive device " + std::to_string(report.device) + " slot " +
                              std::to_string(report.index) + " " + quoted(report.text));
        driver_.revertive(report.device, report.index, report.text);
    } else {
        transcript_.delivered("database device " + std::to_string(report.device) + " database " +
                              std::to_string(report.database) + " entry " + std::to_string(report.index) + " " +
                              quoted(report.text));
        driver_.databaseChange(report.device, report.database, report.index, report.text);
    }
}

void ScriptSession::settle() {
    host_.afterCall();
    host_.exchange().deliver(maxReportsPerSettle, [this] {
        log_.report("the script keeps causing device reports; the rest were dropped");
    });
}

}  // namespace vrelhost
