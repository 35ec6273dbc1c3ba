#include "script_calls.h"

#include <stdlib.h>
#include <string.h>

#include "case_report.h"
#include "measured_call.h"
#include "watched_free.h"

/* Each call meets another stack alignment, as from a host built with Visual
 * C++, which keeps ESP a multiple of 4 only. */
static uint32_t next_misalignment(void) {
    static uint32_t calls;
    return (calls++ % 4) * 4;
}

static void check_call(const struct measured_call* call, enum callee_pops pops, const char* what) {
    const char* fault = measured_call_fault(call, pops);
    if (fault) report_fault("%s: %s", what, fault);
}

static void begin_call(struct script_under_test* script) {
    ++script->calls;
    if (script->host) script->host->in_call = 1;
}

static void end_call(struct script_under_test* script, const char* what) {
    if (!script->host) return;
    script->host->in_call = 0;
    layout_host_after_call(script->host, what);
}

int script_create(struct script_under_test* script, vc_entry entry, struct layout_host* host, const char* text) {
    memset(script, 0, sizeof *script);
    script->host = host;
    struct measured_call call = {0};
    call.misalignment = next_misalignment();
    call.function = (measured_function)entry;
    call.argument_count = 2;
    call.arguments[0] = (uint32_t)(uintptr_t)(host ? layout_host_object(host) : NULL);
    call.arguments[1] = (uint32_t)(uintptr_t)text;
    begin_call(script);
    measured_call_run(&call);
    end_call(script, "load_vrel_client_script");
    check_call(&call, CALLER_POPS, "load_vrel_client_script (a C function)");
    if (host && host->closed) report_fault("the script sent AS while it was being created");
    script->object = (struct vc_object*)(uintptr_t)call.result;
    return script->object != NULL;
}

void* script_notify(struct script_under_test* script, void* data, int kind, const char* what) {
    struct measured_call call = {0};
    call.misalignment = next_misalignment();
    call.function = (measured_function)script->object->vtable->notify;
    call.self = script->object;
    call.argument_count = 2;
    call.arguments[0] = (uint32_t)(uintptr_t)data;
    call.arguments[1] = (uint32_t)kind;
    begin_call(script);
    measured_call_run(&call);
    end_call(script, what);
    check_call(&call, CALLEE_POPS, what);
    if (script->host && script->host->closed) report_fault("%s: the script sent AS while it lives", what);
    void* result = (void*)(uintptr_t)call.result;
    if (result && kind != VC_PARENT) report_fault("%s: answered %p; only a parent command (kind 3) is answered", what, result);
    return result;
}

void script_destroy(struct script_under_test* script, unsigned flags) {
    struct layout_host* host = script->host;
    const unsigned long commands_before = host ? host->commands : 0;
    struct measured_call call = {0};
    call.misalignment = next_misalignment();
    call.function = (measured_function)script->object->vtable->destroy;
    call.self = script->object;
    call.argument_count = 1;
    call.arguments[0] = flags;
    watch_block(script->object, host ? &host->closed : NULL);
    begin_call(script);
    measured_call_run(&call);
    end_call(script, "the destructor (slot 0)");
    check_call(&call, CALLEE_POPS, "the destructor (slot 0)");

    if ((void*)(uintptr_t)call.result != (void*)script->object)
        report_fault("the destructor (slot 0) returned %p, not the object %p", (void*)(uintptr_t)call.result,
                     (void*)script->object);
    if (flags & 1u) {
        if (!watched_block_freed()) report_fault("the destructor with flags %u did not free the object", flags);
        else if (!watched_block_closed_first()) report_fault("the object was freed before it sent AS");
    } else if (watched_block_freed()) {
        report_fault("the destructor with flags %u freed the object; it must only destroy it", flags);
    }
    if (host) {
        if (!host->closed || strcmp(host->last_command, "AS") != 0)
            report_fault("the destructor (flags %u) did not send AS last (the last command: \"%.60s\", %lu sent by it)",
                         flags, host->last_command, host->commands - commands_before);
    }
    watch_block(NULL, NULL);
    script->object = NULL;
}
