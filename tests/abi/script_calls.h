/* script_calls: a script driven the way a 32-bit Visual C++ host drives it.
 *
 * Every call goes through measured_call: the entry as a C function, notify
 * through slot 1 and the destructor through slot 0 of the script's vtable,
 * both with `this` in ECX, and the stack aligned to 16, 12, 8 or 4 bytes in
 * turn (a Visual C++ host keeps it to 4 only). After each call the stack, the registers the
 * callee must keep, the host's held replies and the result are checked, and
 * every fault goes to the case report. */
#ifndef SCRIPT_CALLS_H
#define SCRIPT_CALLS_H

#include "layout_host.h"
#include "visual_cpp_layout.h"

/* How much a case exercised. */
struct case_counts {
    unsigned long calls;    /* into the script */
    unsigned long commands; /* from the script into its host */
};

struct script_under_test {
    struct vc_object* object;
    struct layout_host* host; /* the host it was created with; may be null */
    unsigned long calls;
};

/* Calls the entry; false when it returned no script. */
int script_create(struct script_under_test* script, vc_entry entry, struct layout_host* host, const char* text);
/* One notification through slot 1; `what` names it in reports. Any kind but
 * 3 must be answered with null. */
void* script_notify(struct script_under_test* script, void* data, int kind, const char* what);
/* A parent command (kind 3) with a private copy of `text`, which the script
 * must leave as it was. Returns a copy of the answer (free() it) or null for
 * none; the script's own answer is handed back with kind 5 at once. */
char* script_parent(struct script_under_test* script, const char* text);
/* Ends the script through slot 0 with `flags`, and checks that it sent AS
 * last (when it has a host), returned itself, and was freed if and only if
 * bit 0 was set, after its destructor had run. */
void script_destroy(struct script_under_test* script, unsigned flags);

#endif
