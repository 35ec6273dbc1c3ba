/* The parent command of script_calls.h, made of script_notify calls: the
 * same for every way of calling the script. */
#include <stdlib.h>
#include <string.h>

#include "case_report.h"
#include "script_calls.h"

/* A parent answer longer than this is taken for one that never ends. */
#define LONGEST_ANSWER (1u << 20)

char* script_parent(struct script_under_test* script, const char* text) {
    char* mine = NULL;
    if (text) {
        mine = malloc(strlen(text) + 1);
        if (!mine) abort();
        strcpy(mine, text);
    }
    const char* answer = script_notify(script, mine, VC_PARENT, "a parent command (kind 3)");
    if (text && strcmp(mine, text) != 0) report_fault("the parent command \"%.40s\" was written into", text);
    free(mine);
    if (!answer) return NULL;
    if (strnlen(answer, LONGEST_ANSWER) == LONGEST_ANSWER) {
        report_fault("the answer to the parent command \"%.40s\" does not end", text ? text : "(null)");
        return NULL; /* not handed back: the script may not survive it */
    }
    char* copy = malloc(strlen(answer) + 1);
    if (!copy) abort();
    strcpy(copy, answer);
    script_notify(script, (void*)answer, VC_RELEASE, "the hand-back of a parent answer (kind 5)");
    return copy;
}
