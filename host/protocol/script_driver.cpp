#include "host/protocol/script_driver.h"

#include <cstdint>
#include <cstring>

#include "host/protocol/host_records.h"

namespace vrelhost {
namespace {
// An answer longer than this is taken for one that never ends.
constexpr std::size_t longestAnswer = 1 << 20;
}  // namespace

bool ScriptDriver::create(Entry entry, const char* creationText) {
    script_ = entry(host_, creationText);
    if (!script_) return false;
    if (host_) {
        host_->afterCall();
        if (host_->closed()) {
            sink_.breach("the script sent AS during its creation");
            earlyCloseReported_ = true;
        }
    }
    return true;
}

void* ScriptDriver::call(void* data, int kind, const std::string& what) {
    if (!script_) return nullptr;
    void* result = script_->notify(data, kind);
    if (host_) {
        host_->afterCall();
        if (host_->closed() && !earlyCloseReported_) {
            sink_.breach("the script sent AS while handling " + what);
            earlyCloseReported_ = true;
        }
    }
    if (result && kind != vrel_kind::parent)
        sink_.breach("the script answered " + what + " with a pointer; only kind 3 answers, all others return null");
    return result;
}

void ScriptDriver::revertive(int device, int index, const std::string& text) {
    RevertiveRecord record(device, index, text);
    call(record.data(), vrel_kind::revertive, "a revertive (kind 1)");
}

void ScriptDriver::databaseChange(int device, int database, int index, const std::string& text) {
    DatabaseRecord record(device, database, index, text);
    call(record.data(), vrel_kind::database, "a database change (kind 6)");
}

void ScriptDriver::button(const std::string& panel, const std::string& control, const std::string& event) {
    ButtonRecord record(panel, control, event);
    call(record.data(), vrel_kind::button, "a button (kind 2)");
}

void ScriptDriver::tick(int id) {
    // The timer id travels in the pointer value itself.
    call(reinterpret_cast<void*>(static_cast<std::intptr_t>(id)), vrel_kind::timer, "a timer tick (kind 4)");
}

std::optional<std::string> ScriptDriver::parent(const char* text, bool hold) {
    std::string copy = text ? text : "";
    const std::string what = text ? "the parent command \"" + clipped(copy, 40) + "\" (kind 3)"
                                  : "a null parent command (kind 3)";
    // The script gets a private copy, and must leave it as it found it.
    char* mine = text ? copy.data() : nullptr;
    void* answer = call(mine, vrel_kind::parent, what);
    if (text && copy != text) sink_.breach("the script wrote into the text of " + what);
    if (!answer) return std::nullopt;
    const char* chars = static_cast<const char*>(answer);
    if (::strnlen(chars, longestAnswer) == longestAnswer) {
        sink_.breach("the answer to " + what + " is not NUL-terminated");
        return std::nullopt;  // not handed back: the script may not survive it
    }
    std::string result(chars);
    heldAnswers_.push_back(answer);
    if (!hold) handBackOne();
    return result;
}

bool ScriptDriver::handBackOne() {
    if (heldAnswers_.empty() || !script_) return false;
    void* answer = heldAnswers_.front();
    heldAnswers_.pop_front();
    call(answer, vrel_kind::release, "the hand-back of a parent answer (kind 5)");
    return true;
}

void ScriptDriver::destroy() {
    if (!script_) return;
    while (handBackOne()) {
    }
    vrel_client_callback* script = script_;
    script_ = nullptr;
    vrel_destroy_script(script);
    if (host_) host_->afterDestroy();
}

}  // namespace vrelhost
