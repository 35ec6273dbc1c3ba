/* measured_call: calls a function the way a 32-bit Visual C++ host calls a
 * script, and measures what the callee left behind.
 *
 * `this` goes in ECX, the arguments are pushed last to first, and ESP is
 * `misalignment` bytes short of a multiple of 16 at the call: 0 is what gcc's
 * code keeps, and Visual C++'s keeps only a multiple of 4, so a host built
 * with it may call with 4, 8 or 12 as well. Before the call EBX,
 * ESI, EDI and EBP are loaded with known values; afterwards the probe holds
 * EAX, how far ESP moved from where it stood before the arguments were
 * pushed, the four registers as the callee left them, and EFLAGS.
 *
 * A thiscall callee pops its own arguments (stack_change 0); a cdecl one
 * leaves them to the caller (stack_change -4 per argument). Either way it
 * must give back EBX, ESI, EDI and EBP unchanged and the direction flag
 * clear. The caller's own frame is restored whatever the callee did.
 *
 * 32-bit x86 only. Not reentrant: a callee must not call measured_call. */
#ifndef MEASURED_CALL_H
#define MEASURED_CALL_H

#include <stddef.h>
#include <stdint.h>

#define MEASURED_MAX_ARGUMENTS 4

typedef void (*measured_function)(void);

struct measured_call {
    measured_function function;                 /*  0: what to call */
    void* self;                                 /*  4: loaded into ECX */
    uint32_t argument_count;                    /*  8: 0 to MEASURED_MAX_ARGUMENTS */
    uint32_t arguments[MEASURED_MAX_ARGUMENTS]; /* 12: the first is pushed last */
    uint32_t result;                            /* 28: EAX after the call */
    int32_t stack_change;                       /* 32: ESP after the call minus ESP before the pushes */
    uint32_t ebx, esi, edi, ebp;                /* 36: as the callee left them */
    uint32_t eflags;                            /* 52 */
    uint32_t misalignment;                      /* 56: 0, 4, 8 or 12 */
};

_Static_assert(offsetof(struct measured_call, arguments) == 12, "the assembly reads the arguments at 12");
_Static_assert(offsetof(struct measured_call, result) == 28, "the assembly writes the result at 28");
_Static_assert(offsetof(struct measured_call, stack_change) == 32, "the assembly writes ESP's change at 32");
_Static_assert(offsetof(struct measured_call, ebx) == 36, "the assembly writes the registers from 36");
_Static_assert(offsetof(struct measured_call, eflags) == 52, "the assembly writes EFLAGS at 52");
_Static_assert(offsetof(struct measured_call, misalignment) == 56, "the assembly reads the misalignment at 56");

/* Performs the call described by `call` and fills in its results. */
void measured_call_run(struct measured_call* call);

/* Whether the callee pops its own arguments (thiscall) or not (cdecl). */
enum callee_pops { CALLER_POPS, CALLEE_POPS };

/* NULL when the callee kept the rules of its convention; otherwise a sentence
 * saying which it broke, in a static buffer. */
const char* measured_call_fault(const struct measured_call* call, enum callee_pops pops);

#endif
