#include "checked_script.h"

#include <cstdint>
#include <cstring>

#include "host_records.h"

namespace validator {
namespace {
// An answer longer than this is taken for one that never ends.
constexpr std::size_t longestAnswer = 1 << 20;
}  // namespace

CheckedScript::CheckedScript(vrelhost::ScriptLibrary::Entry entry, CheckingHost* host, CaseReport& report,
                             const char* creationText)
    : host_(host), report_(report) {
    script_ = entry(host, creationText);
    if (!script_) {
        report_.fail("load_vrel_client_script returned no script");
        return;
    }
    if (host_) host_->afterCall("load_vrel_client_script");
    if (host_ && host_->closed()) report_.fail("the script sent AS during its creation");
}

void* CheckedScript::call(void* data, int kind, const std::string& what) {
    if (!script_) return nullptr;
    void* result = script_->notify(data, kind);
    if (host_) {
        host_->afterCall(what);
        if (host_->closed()) report_.fail("the script sent AS while handling " + what);
    }
    if (result && kind != vrel_kind::parent)
        report_.fail("the script answered " + what + " with a pointer; only kind 3 answers, all others return null");
    return result;
}

void CheckedScript::revertive(int device, int slot, const std::string& text) {
    vrelhost::TextRecord record = vrelhost::TextRecord::revertive(device, slot, text);
    call(record.data(), vrel_kind::revertive, "a revertive (kind 1)");
}

void CheckedScript::databaseChange(int device, int database, int index, const std::string& text) {
    vrelhost::TextRecord record = vrelhost::TextRecord::databaseChange(device, database, index, text);
    call(record.data(), vrel_kind::database, "a database change (kind 6)");
}

void CheckedScript::button(const std::string& panel, const std::string& control, const std::string& event) {
    vrelhost::ButtonRecord record(panel, control, event);
    call(record.data(), vrel_kind::button, "a button (kind 2)");
}

void CheckedScript::tick(int id) {
    // The timer id travels in the pointer value itself.
    call(reinterpret_cast<void*>(static_cast<std::intptr_t>(id)), vrel_kind::timer, "a timer tick (kind 4)");
}

std::optional<std::string> CheckedScript::parent(const char* text, bool hold) {
    std::string copy = text ? text : "";
    const std::string what = text ? "the parent command \"" + copy.substr(0, 40) + "\" (kind 3)"
                                  : "a null parent command (kind 3)";
    // The script gets a private copy, and must leave it as it found it.
    char* mine = text ? copy.data() : nullptr;
    void* answer = call(mine, vrel_kind::parent, what);
    if (text && copy != text) report_.fail("the script wrote into the text of " + what);
    if (!answer) return std::nullopt;
    const char* chars = static_cast<const char*>(answer);
    if (::strnlen(chars, longestAnswer) == longestAnswer) {
        report_.fail("the answer to " + what + " is not NUL-terminated");
        return std::nullopt;  // not handed back: the script may not survive it
    }
    std::string result(chars);
    heldAnswers_.push_back(answer);
    if (!hold) handBackOne();
    return result;
}

bool CheckedScript::handBackOne() {
    if (heldAnswers_.empty() || !script_) return false;
    void* answer = heldAnswers_.front();
    heldAnswers_.pop_front();
    call(answer, vrel_kind::release, "the hand-back of a parent answer (kind 5)");
    return true;
}

void CheckedScript::destroy() {
    if (!script_) return;
    while (handBackOne()) {
    }
    vrel_client_callback* script = script_;
    script_ = nullptr;
    delete script;
    if (!host_) return;
    host_->afterCall("the destructor");
    // Anything after AS is reported by the host as it arrives.
    if (!host_->closed()) report_.fail("the script was destroyed without sending AS");
}

}  // namespace validator
