// CheckedScript: one script created from a library's entry and driven the way
// the panel host drives it, with the script's side of every call checked.
//
// After each call: a kind other than 3 must answer null, the host's reply
// checks run (CheckingHost::afterCall), and for kind 3 an answer must be a
// NUL-terminated text. Answers are the script's buffers: this object hands
// each back with kind 5, at once or (when asked to hold them) before the
// script is destroyed, and never touches one afterwards. Destruction checks
// that "AS" was sent and nothing after it.
//
// The host may be null (a script without a host). The host and the report
// must outlive this object. One thread.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "case_report.h"
#include "checking_host.h"
#include "script_library.h"

namespace validator {

class CheckedScript {
public:
    CheckedScript(vrelhost::ScriptLibrary::Entry entry, CheckingHost* host, CaseReport& report,
                  const char* creationText);
    ~CheckedScript() { destroy(); }
    CheckedScript(const CheckedScript&) = delete;
    CheckedScript& operator=(const CheckedScript&) = delete;

    bool alive() const { return script_ != nullptr; }

    // One notification; `what` names it in reports. Returns what the script returned.
    void* call(void* data, int kind, const std::string& what);
    void revertive(int device, int slot, const std::string& text);
    void databaseChange(int device, int database, int index, const std::string& text);
    void button(const std::string& panel, const std::string& control, const std::string& event);
    void tick(int id);
    // The answer's text, or nothing for a null answer. With `hold`, the answer
    // is kept and handed back later (handBackOne, or at destruction).
    std::optional<std::string> parent(const char* text, bool hold = false);
    bool handBackOne();
    void destroy();

private:
    CheckingHost* host_;
    CaseReport& report_;
    vrel_client_callback* script_ = nullptr;
    std::deque<void*> heldAnswers_;
};

}  // namespace validator
