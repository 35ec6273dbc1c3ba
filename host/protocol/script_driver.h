// ScriptDriver is the bare session class, shared by every host: checked
// calls into one script, knowing no site, panels or clock (ScriptSession adds
// those for the simulator).
//
// ScriptDriver: one script, driven the way the panel host drives it, with the
// script's side of every call checked. Every host here drives its script
// through it (the simulator's session, the validator's cases, the fuzzers).
//
// create() makes the script through the library's entry; call() delivers one
// notification and then checks: every reply given during the call is back
// (ProtocolHost::afterCall), AS has not been sent yet, and a kind other than 3
// answered null. For kind 3 the answer must be a NUL-terminated text; it is
// the script's buffer, handed back with kind 5 at once or, when held, later
// (handBackOne, or before destruction), and never touched afterwards. The
// parent text given to the script is a private copy that it must leave as it
// found it. destroy() ends the script (vrel_destroy_script, the way the host
// does) and checks that AS came and every reply went back.
//
// The host may be null (a script without a host); host and sink are the
// caller's and must outlive the driver. One thread.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "host/protocol/protocol_host.h"
#include "host/protocol/protocol_sink.h"
#include "runtime/boundary/vrel_client_callback.h"
#include "runtime/boundary/vrel_script_entry.h"

namespace vrelhost {

class ScriptDriver {
public:
    using Entry = vrel_script_entry;

    ScriptDriver(ProtocolHost* host, ProtocolSink& sink) : host_(host), sink_(sink) {}
    ~ScriptDriver() { destroy(); }
    ScriptDriver(const ScriptDriver&) = delete;
    ScriptDriver& operator=(const ScriptDriver&) = delete;

    // False when the entry returned no script.
    bool create(Entry entry, const char* creationText);
    bool alive() const { return script_ != nullptr; }

    // One notification; `what` names it in reports. Returns what the script returned.
    void* call(void* data, int kind, const std::string& what);
    void revertive(int device, int index, const std::string& text);
    void databaseChange(int device, int database, int index, const std::string& text);
    void button(const std::string& panel, const std::string& control, const std::string& event);
    void tick(int id);
    // The answer's text, or nothing for a null (or unusable) answer. With
    // `hold`, the answer is kept and handed back later.
    std::optional<std::string> parent(const char* text, bool hold = false);
    bool handBackOne();
    void destroy();

private:
    ProtocolHost* host_;
    ProtocolSink& sink_;
    vrel_client_callback* script_ = nullptr;
    std::deque<void*> heldAnswers_;
    bool earlyCloseReported_ = false;
};

}  // namespace vrelhost
