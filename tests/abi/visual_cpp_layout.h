/* The boundary as a 32-bit host built with Visual C++ sees it, declared here
 * from scratch (this test host does not include the project's headers, so it
 * cannot agree with them by accident).
 *
 * A Visual C++ compiler lays out
 *     class vrel_client_callback { virtual ~vrel_client_callback(); virtual void* notify(void*, int) = 0; };
 * as an object whose first word points at a table of two functions:
 *     slot 0  void* __thiscall scalar_deleting_destructor(unsigned flags)
 *             bit 0 of flags set: destroy and free; clear: destroy only; returns the object
 *     slot 1  void* __thiscall notify(void* data, int kind)
 * thiscall: `this` in ECX, the other arguments on the stack, popped by the callee.
 *
 * The script's entry, load_vrel_client_script(host, text), is a C function
 * (cdecl: the caller pops). The records are the host's 32-bit layouts. */
#ifndef VISUAL_CPP_LAYOUT_H
#define VISUAL_CPP_LAYOUT_H

#include <stddef.h>
#include <stdint.h>

#define VC_THISCALL __attribute__((thiscall))

struct vc_object;
/* gcc gives C functions the thiscall convention too (ECX takes the first
 * argument), and only warns that the attribute is meant for members. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
typedef void* (VC_THISCALL* vc_scalar_deleting_destructor)(struct vc_object* self, unsigned flags);
typedef void* (VC_THISCALL* vc_notify)(struct vc_object* self, void* data, int kind);
#pragma GCC diagnostic pop

struct vc_vtable {
    vc_scalar_deleting_destructor destroy; /* slot 0 */
    vc_notify notify;                      /* slot 1 */
};

struct vc_object {
    const struct vc_vtable* vtable;
};

typedef struct vc_object* (*vc_entry)(struct vc_object* host, const char* text);

/* The kinds of notify. */
enum {
    VC_COMMAND = 0,
    VC_REVERTIVE = 1,
    VC_BUTTON = 2,
    VC_PARENT = 3,
    VC_TIMER = 4,
    VC_RELEASE = 5,
    VC_DATABASE = 6,
    VC_VALUE = 7
};

/* A button's event text, split by the host: the command up to the first '.'
 * or '=', one sub-part after each '.', the value after the first '='. */
#define VC_EVENT_SUBS 32
struct vc_event {
    const char* command;
    const char* sub[VC_EVENT_SUBS];
    const char* value;
    int sub_count;
    unsigned char has_value;
    char* buffer; /* the host's own split copy */
};

struct vc_button_record {
    int not_read0;
    int not_read1;
    const char* panel;
    const char* control;
    const struct vc_event* event;
};

/* Revertive (kind 1) and database change (kind 6): four ints, then the text in place. */
struct vc_value_record {
    int device;
    int second; /* not read in a revertive; the database of a database change */
    int index;
    int not_read;
    char text[];
};

/* A C++ host (tests/windows) includes these declarations too. */
#ifdef __cplusplus
#define VC_STATIC_ASSERT static_assert
#else
#define VC_STATIC_ASSERT _Static_assert
#endif
VC_STATIC_ASSERT(sizeof(void*) == 4, "the Visual C++ layout here is the 32-bit one");
VC_STATIC_ASSERT(offsetof(struct vc_event, value) == 132, "event layout");
VC_STATIC_ASSERT(offsetof(struct vc_event, sub_count) == 136, "event layout");
VC_STATIC_ASSERT(offsetof(struct vc_event, has_value) == 140, "event layout");
VC_STATIC_ASSERT(sizeof(struct vc_event) == 148, "event layout");
VC_STATIC_ASSERT(offsetof(struct vc_button_record, panel) == 8, "button layout");
VC_STATIC_ASSERT(offsetof(struct vc_button_record, event) == 16, "button layout");
VC_STATIC_ASSERT(offsetof(struct vc_value_record, text) == 16, "text at byte 16");

#endif
