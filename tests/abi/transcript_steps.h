/* transcript_steps: a saved vrel-host transcript read as the steps a host
 * takes (the events it delivers) and the commands the script must send
 * between them, with the replies the host gave.
 *
 *   < create "TEXT"                                   the entry, with TEXT
 *   < button panel P control C event "E"              kind 2
 *   < revertive device D slot S "T"                   kind 1
 *   < database device D database B entry E "T"        kind 6
 *   < tick timer N at T ms                            kind 4
 *   < parent "T"                                      kind 3; then its answer, = TEXT or - no reply
 *   < destroy                                         the destructor
 *   > COMMAND                                         a command the script sent
 *   = TEXT / - no reply                               right after a command: its reply (text or null)
 *   ! CODE refused: ...                               right after a command: answered null
 *
 * A panel-file command (PI, PS, PR) with no reply line got the host's status.
 * Every other line (operator lines, drawings, notes) is skipped. A text runs
 * from the first to the last double quote of its line. */
#ifndef TRANSCRIPT_STEPS_H
#define TRANSCRIPT_STEPS_H

#include <stddef.h>

enum step_kind { STEP_CREATE, STEP_BUTTON, STEP_REVERTIVE, STEP_DATABASE, STEP_TICK, STEP_PARENT, STEP_DESTROY, STEP_COMMAND };
enum reply_kind { REPLY_NOTHING, REPLY_STATUS, REPLY_TEXT };

struct step {
    enum step_kind kind;
    const char* file;
    int line;
    char* text;    /* creation text, event text, value, parent text, or the command */
    char* panel;   /* a button's */
    char* control; /* a button's */
    int numbers[3]; /* device, slot | device, database, entry | timer id */
    enum reply_kind reply; /* a command's */
    char* reply_text;
    int has_answer; /* a parent command's: an answer line was found */
    char* answer;   /* null for "- no reply" */
};

struct steps {
    struct step* items;
    size_t count;
    int begins_with_operator_line; /* the file starts at "# N:" and omits the start-up */
    size_t first_operator_step;    /* the first step after the first "# " line (count when none) */
};

/* Reads `path`; false with a message on standard error when it cannot. */
int steps_read(const char* path, struct steps* steps);
void steps_free(struct steps* steps);
const char* step_name(enum step_kind kind);

#endif
