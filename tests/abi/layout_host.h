/* layout_host: the host's callback object, laid out as Visual C++ lays out
 * the callback interface (visual_cpp_layout.h), with the host's side of the
 * protocol checked on every call the script makes into it:
 *  - `this` (ECX) is this host, and the script calls only while the host is
 *    calling it;
 *  - kind 0 is a NUL-terminated command text starting with a two-letter
 *    code, and nothing follows "AS";
 *  - kind 5 hands back a reply this host gave out during the current call,
 *    once (null is harmless); a status or any other pointer is a fault;
 *  - no other kind.
 * The slots past 1, and slot 0 (the host's own destructor, which a script
 * never calls), end the process with a message: a script that calls them
 * was built for another layout, and its next step would be undefined.
 *
 * What a command is answered with is the policy's choice. One thread.
 *
 * The object the script receives is made by the platform's part: on Linux the
 * layout_host itself with a hand-laid table of slots (hand_laid_host.c), on
 * Windows an object of a class the compiler lays out (tests/windows). Either
 * hands each call to layout_host_receive. */
#ifndef LAYOUT_HOST_H
#define LAYOUT_HOST_H

#include "visual_cpp_layout.h"

enum answer_kind { ANSWER_NOTHING, ANSWER_STATUS, ANSWER_REPLY };
struct answer {
    enum answer_kind kind;
    const char* text; /* a reply's text; the host copies it into a buffer of its own */
};
typedef struct answer (*answer_policy)(void* context, const char* command);

#define HOST_REPLIES_PER_CALL 64

typedef void (*host_slot)(void);

struct layout_host {
    const host_slot* vtable; /* first, as in every Visual C++ object (hand_laid_host.c) */
    void* compiled;          /* the host object a compiler laid out, where one stands for this host */
    int number;              /* names the host in messages */
    answer_policy policy;
    void* policy_context;
    int in_call; /* a call into this host's script is in progress */
    int closed;  /* the script has sent AS */
    unsigned long commands;
    char last_command[96];
    void* replies[HOST_REPLIES_PER_CALL]; /* given out during the current call */
    int reply_count;
    char status[4]; /* the answer to a panel-file command that succeeded */
};

void layout_host_init(struct layout_host* host, int number, answer_policy policy, void* context);
void layout_host_dispose(struct layout_host* host);
/* Once a call into the script has returned: a reply still held is a fault
 * (and is freed here). */
void layout_host_after_call(struct layout_host* host, const char* what);
/* A call the script made into its host: kind 0 or 5, checked and answered. */
void* layout_host_receive(struct layout_host* host, void* data, int kind);

/* The platform's part: the host as the script receives it, made when the
 * host is initialised and ended when it is disposed of. */
struct vc_object* layout_host_object(struct layout_host* host);
void layout_host_attach(struct layout_host* host);
void layout_host_detach(struct layout_host* host);

#endif
