#include "script_session.h"

#include <cstdint>

#include "host_records.h"

namespace vrelhost {
namespace {

// A script that keeps answering reports with more reports would never let the
// operator in; past this many in one go, the rest are dropped and reported.
constexpr int maxReportsPerSettle = 100000;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

bool ScriptSession::create(ScriptLibrary::Entry entry, const std::string& creationText) {
    transcript_.delivered("create " + quoted(creationText));
    script_ = entry(&host_, creationText.c_str());
    if (!script_) {
        transcript_.note("the library created no script");
        return false;
    }
    settle();
    return true;
}

void* ScriptSession::call(void* data, int kind) {
    void* result = script_->notify(data, kind);
    if (kind != vrel_kind::parent && result)
        log_.report("the script returned a pointer for kind " + std::to_string(kind) + "; only kind 3 answers");
    return result;
}

void ScriptSession::button(const std::string& panel, const std::string& control, const std::string& event) {
    if (!script_) return;
    transcript_.delivered("button panel " + panel + " control " + control + " event " + quoted(event));
    ButtonRecord record(panel, control, event);
    call(record.data(), vrel_kind::button);
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
    if (!script_) return std::nullopt;
    transcript_.delivered("parent " + quoted(text));
    std::vector<char> copy(text.begin(), text.end());  // the host's text, not the script's to keep
    copy.push_back('\0');
    void* answer = script_->notify(copy.data(), vrel_kind::parent);
    std::optional<std::string> result;
    if (answer) {
        result = static_cast<const char*>(answer);
        transcript_.reply(*result);
        script_->notify(answer, vrel_kind::release);  // the answer is the script's buffer
    } else {
        transcript_.noReply();
    }
    settle();
    return result;
}

void ScriptSession::wait(long long milliseconds) {
    TimerSet& timers = host_.timers();
    const long long until = timers.now() + milliseconds;
    while (script_) {
        std::optional<int> id = timers.takeNextTick(until);
        if (!id) break;
        transcript_.delivered("tick timer " + std::to_string(*id) + " at " + std::to_string(timers.now()) + " ms");
        // The timer id travels in the pointer value itself.
        call(reinterpret_cast<void*>(static_cast<std::intptr_t>(*id)), vrel_kind::timer);
        settle();
    }
    timers.settle(until);
}

void ScriptSession::destroy() {
    if (!script_) return;
    transcript_.delivered("destroy");
    vrel_client_callback* script = script_;
    script_ = nullptr;
    delete script;
    for (const std::string& origin : host_.ledger().takeOverdue())
        log_.report("the reply to " + quoted(origin) + " was never handed back");
    if (!host_.closed()) log_.report("the script was destroyed without sending AS");
    host_.takePending();  // nobody left to tell
}

void ScriptSession::deliver(const PendingReport& report) {
    if (!script_) return;
    if (report.kind == PendingReport::Kind::revertive) {
        transcript_.delivered("revertive device " + std::to_string(report.device) + " slot " +
                              std::to_string(report.index) + " " + quoted(report.text));
        TextRecord record = TextRecord::revertive(report.device, report.index, report.text);
        call(record.data(), vrel_kind::revertive);
    } else {
        transcript_.delivered("database device " + std::to_string(report.device) + " database " +
                              std::to_string(report.database) + " entry " + std::to_string(report.index) + " " +
                              quoted(report.text));
        TextRecord record = TextRecord::databaseChange(report.device, report.database, report.index, report.text);
        call(record.data(), vrel_kind::database);
    }
}

void ScriptSession::settle() {
    int delivered = 0;
    for (;;) {
        for (const std::string& origin : host_.ledger().takeOverdue())
            log_.report("the reply to " + quoted(origin) + " was not handed back before the call returned");
        std::deque<PendingReport> pending = host_.takePending();
        if (pending.empty() || !script_) return;
        for (const PendingReport& report : pending) {
            if (++delivered > maxReportsPerSettle) {
                log_.report("the script keeps causing device reports; the rest were dropped");
                host_.takePending();
                return;
            }
            deliver(report);
        }
    }
}

}  // namespace vrelhost
