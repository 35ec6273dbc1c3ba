#include "measured_call.h"

#include <stdio.h>

#if !defined(__i386__)
#error "measured_call measures the 32-bit x86 calling conventions"
#endif

/* What the callee must leave as it found it. */
#define CANARY_EBX 0x1b2c3d4eu
#define CANARY_ESI 0x2c3d4e5fu
#define CANARY_EDI 0x3d4e5f60u
#define CANARY_EBP 0x4e5f6071u
#define DIRECTION_FLAG 0x400u

/* The call in flight, kept in memory: every register is handed to the callee. */
static struct measured_call* measured_probe __attribute__((used));
static uint32_t measured_frame __attribute__((used));  /* ESP with our saved registers */
static uint32_t measured_before __attribute__((used)); /* ESP just before the pushes */

/* Position independent: the variables are reached through the GOT's address.
 * 64 bytes are left free below the saved registers, so a callee that pops
 * too much cannot overwrite them before they are restored. */
__asm__(
    ".text\n"
    ".globl measured_call_run\n"
    ".type measured_call_run, @function\n"
    "measured_call_run:\n"
    "    pushl %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    movl 20(%esp), %edx\n"
    "    call 1f\n"
    "1:  popl %eax\n"
    "    addl $_GLOBAL_OFFSET_TABLE_+(.-1b), %eax\n"
    "    movl %edx, measured_probe@GOTOFF(%eax)\n"
    "    movl %esp, measured_frame@GOTOFF(%eax)\n"
    "    subl $64, %esp\n"
    "    andl $-16, %esp\n"
    "    movl 8(%edx), %ecx\n"
    "    leal (,%ecx,4), %ebx\n"
    "    negl %ebx\n"
    "    andl $15, %ebx\n"
    "    subl %ebx, %esp\n"
    "    movl 56(%edx), %ebx\n"
    "    andl $12, %ebx\n"
    "    subl %ebx, %esp\n"
    "    movl %esp, measured_before@GOTOFF(%eax)\n"
    "2:  testl %ecx, %ecx\n"
    "    jz 3f\n"
    "    pushl 8(%edx,%ecx,4)\n"
    "    decl %ecx\n"
    "    jmp 2b\n"
    "3:  movl 4(%edx), %ecx\n"
    "    movl 0(%edx), %eax\n"
    "    movl $0x1b2c3d4e, %ebx\n"
    "    movl $0x2c3d4e5f, %esi\n"
    "    movl $0x3d4e5f60, %edi\n"
    "    movl $0x4e5f6071, %ebp\n"
    "    call *%eax\n"
    "    pushfl\n"
    "    pushl %eax\n"
    "    call 4f\n"
    "4:  popl %eax\n"
    "    addl $_GLOBAL_OFFSET_TABLE_+(.-4b), %eax\n"
    "    movl measured_probe@GOTOFF(%eax), %ecx\n"
    "    movl %ebx, 36(%ecx)\n"
    "    movl %esi, 40(%ecx)\n"
    "    movl %edi, 44(%ecx)\n"
    "    movl %ebp, 48(%ecx)\n"
    "    leal 8(%esp), %edx\n"
    "    subl measured_before@GOTOFF(%eax), %edx\n"
    "    movl %edx, 32(%ecx)\n"
    "    popl %edx\n"
    "    movl %edx, 28(%ecx)\n"
    "    popl %edx\n"
    "    movl %edx, 52(%ecx)\n"
    "    movl measured_frame@GOTOFF(%eax), %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n"
    ".size measured_call_run, .-measured_call_run\n");

const char* measured_call_fault(const struct measured_call* call, enum callee_pops pops) {
    static char sentence[160];
    const int32_t expected = pops == CALLEE_POPS ? 0 : -4 * (int32_t)call->argument_count;
    if (call->stack_change != expected) {
        snprintf(sentence, sizeof sentence, "the stack is off by %ld bytes after the call (%s)",
                 (long)(call->stack_change - expected),
                 pops == CALLEE_POPS ? "the callee must pop its arguments" : "the callee must leave its arguments");
        return sentence;
    }
    if (call->ebx != CANARY_EBX || call->esi != CANARY_ESI || call->edi != CANARY_EDI || call->ebp != CANARY_EBP) {
        snprintf(sentence, sizeof sentence, "a register the callee must keep was changed (EBX %08lx, ESI %08lx, EDI %08lx, EBP %08lx)",
                 (unsigned long)call->ebx, (unsigned long)call->esi, (unsigned long)call->edi, (unsigned long)call->ebp);
        return sentence;
    }
    if (call->eflags & DIRECTION_FLAG) return "the direction flag is set after the call";
    return NULL;
}
