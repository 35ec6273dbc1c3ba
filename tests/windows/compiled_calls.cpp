// The calls between this host and the script, written as a C++ host writes
// them, so that the compiler lays out every one: the host object is a class
// deriving from the interface (site_interface.h), the script is reached
// through its `notify`, and ended with `delete` (flags 1 in the Visual C++
// layout) or an explicit destructor call (flags 0: destroyed, not freed).
//
// The protocol checks are layout_host's and script_calls.h's, shared with the
// hand-laid host of tests/abi; what that host measures by hand (the stack and
// the registers around each call, the freeing of the object) is the
// compiler's business here.
#include <stdlib.h>
#include <string.h>

#include "debug_texts.h"
#include "site_interface.h"

extern "C" {
#include "case_report.h"
#include "layout_host.h"
#include "script_calls.h"
}

namespace {

constexpr unsigned host_mark = 0x54534f48;  // "HOST"

class compiled_host : public vrel_client_callback {
public:
    explicit compiled_host(layout_host* state) : state_(state) {}
    ~compiled_host() override { mark_ = 0; }

    void* notify(void* data, int kind) override {
        if (mark_ != host_mark) {
            report_fault("notify reached the host with this = %p, which is no host object", static_cast<void*>(this));
            return nullptr;
        }
        void* answer = layout_host_receive(state_, data, kind);
        if (kind == VC_COMMAND && data && strncmp(static_cast<const char*>(data), "RM ", 3) == 0)
            debug_texts_expect_rename(static_cast<const char*>(data));
        return answer;
    }

private:
    unsigned mark_ = host_mark;
    layout_host* state_;
};

vrel_client_callback* script_object(const script_under_test* script) {
    return reinterpret_cast<vrel_client_callback*>(script->object);
}

void begin_call(script_under_test* script) {
    ++script->calls;
    if (script->host) script->host->in_call = 1;
}

void end_call(script_under_test* script, const char* what) {
    debug_texts_check_renames(what);
    if (!script->host) return;
    script->host->in_call = 0;
    layout_host_after_call(script->host, what);
}

}  // namespace

extern "C" {

void layout_host_attach(layout_host* host) { host->compiled = new compiled_host(host); }

void layout_host_detach(layout_host* host) {
    delete static_cast<compiled_host*>(host->compiled);
    host->compiled = nullptr;
}

vc_object* layout_host_object(layout_host* host) {
    vrel_client_callback* object = static_cast<compiled_host*>(host->compiled);
    return reinterpret_cast<vc_object*>(object);
}

int script_create(script_under_test* script, vc_entry entry, layout_host* host, const char* text) {
    memset(script, 0, sizeof *script);
    script->host = host;
    const load_vrel_client_script_fn load = reinterpret_cast<load_vrel_client_script_fn>(reinterpret_cast<void*>(entry));
    vrel_client_callback* host_object = host ? static_cast<compiled_host*>(host->compiled) : nullptr;
    begin_call(script);
    vrel_client_callback* created = load(host_object, text);
    end_call(script, "load_vrel_client_script");
    if (host && host->closed) report_fault("the script sent AS while it was being created");
    script->object = reinterpret_cast<vc_object*>(created);
    return created != nullptr;
}

void* script_notify(script_under_test* script, void* data, int kind, const char* what) {
    begin_call(script);
    void* result = script_object(script)->notify(data, kind);
    end_call(script, what);
    if (script->host && script->host->closed) report_fault("%s: the script sent AS while it lives", what);
    if (result && kind != VC_PARENT)
        report_fault("%s: answered %p; only a parent command (kind 3) is answered", what, result);
    return result;
}

void script_destroy(script_under_test* script, unsigned flags) {
    layout_host* host = script->host;
    const unsigned long commands_before = host ? host->commands : 0;
    vrel_client_callback* object = script_object(script);
    begin_call(script);
    if (flags & 1u)
        delete object;
    else
        object->~vrel_client_callback();  // destroyed in place; its memory stays the script's
    end_call(script, "the destructor");
    if (host && (!host->closed || strcmp(host->last_command, "AS") != 0))
        report_fault("the destructor (%s) did not send AS last (the last command: \"%.60s\", %lu sent by it)",
                     flags & 1u ? "delete" : "explicit call", host->last_command, host->commands - commands_before);
    script->object = nullptr;
}

}  // extern "C"
