#include "replay_case.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "case_report.h"
#include "layout_host.h"
#include "script_calls.h"
#include "vc_records.h"

struct replay {
    const struct steps* steps; /* the file being run */
    size_t cursor;             /* the next step a command must match */
    int diverged;              /* a difference was reported: no more comparing */
    struct layout_host host;
    struct script_under_test script;
    int alive;
    unsigned destroy_flags;
};

static const char* panel_file_codes[] = {"PI ", "PS ", "PR "};

static struct answer answer_unscripted(const char* command) {
    struct answer answer = {ANSWER_NOTHING, NULL};
    for (size_t i = 0; i < sizeof panel_file_codes / sizeof *panel_file_codes; ++i)
        if (strncmp(command, panel_file_codes[i], 3) == 0) answer.kind = ANSWER_STATUS;
    return answer;
}

static void diverge(struct replay* replay, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
static void diverge(struct replay* replay, int line, const char* format, ...) {
    if (replay->diverged) return;
    replay->diverged = 1;
    char sentence[300];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(sentence, sizeof sentence, format, arguments);
    va_end(arguments);
    report_fault("%s:%d: %s", replay->steps->count ? replay->steps->items[0].file : "?", line, sentence);
}

static struct answer replay_answer(void* context, const char* command) {
    struct replay* replay = context;
    if (replay->diverged) return answer_unscripted(command);
    const struct steps* steps = replay->steps;
    if (replay->cursor < steps->count && steps->items[replay->cursor].kind == STEP_COMMAND) {
        const struct step* expected = &steps->items[replay->cursor];
        if (strcmp(expected->text, command) == 0) {
            ++replay->cursor;
            struct answer answer = {ANSWER_NOTHING, NULL};
            if (expected->reply == REPLY_STATUS) answer.kind = ANSWER_STATUS;
            if (expected->reply == REPLY_TEXT) {
                answer.kind = ANSWER_REPLY;
                answer.text = expected->reply_text;
            }
            return answer;
        }
        diverge(replay, expected->line, "the script sent \"%.70s\" where the transcript has \"%.70s\"", command,
                expected->text);
    } else {
        const int line = replay->cursor < steps->count ? steps->items[replay->cursor].line : 0;
        diverge(replay, line, "the script sent \"%.70s\" where the transcript has no further command", command);
    }
    return answer_unscripted(command);
}

static const char* describe(const struct step* step) {
    static char what[160];
    snprintf(what, sizeof what, "the %s at %s:%d", step_name(step->kind), step->file, step->line);
    return what;
}

static void deliver(struct replay* replay, const struct step* step, vc_entry entry) {
    if (step->kind == STEP_CREATE) {
        if (replay->alive) report_fault("%s: a second creation in one transcript", describe(step));
        replay->alive = script_create(&replay->script, entry, &replay->host, step->text);
        if (!replay->alive) report_fault("%s: the entry returned no script", describe(step));
        return;
    }
    if (!replay->alive) {
        report_fault("%s: there is no script to deliver it to", describe(step));
        return;
    }
    struct vc_value_record* record = NULL;
    switch (step->kind) {
    case STEP_BUTTON: {
        struct vc_button button;
        vc_button_make(&button, step->panel, step->control, step->text);
        script_notify(&replay->script, &button.record, VC_BUTTON, describe(step));
        vc_button_free(&button);
        break;
    }
    case STEP_REVERTIVE:
        record = vc_value_record_make(step->numbers[0], 0, step->numbers[1], step->text);
        script_notify(&replay->script, record, VC_REVERTIVE, describe(step));
        break;
    case STEP_DATABASE:
        record = vc_value_record_make(step->numbers[0], step->numbers[1], step->numbers[2], step->text);
        script_notify(&replay->script, record, VC_DATABASE, describe(step));
        break;
    case STEP_TICK:
        script_notify(&replay->script, (void*)(intptr_t)step->numbers[0], VC_TIMER, describe(step));
        break;
    case STEP_PARENT: {
        char* answer = script_parent(&replay->script, step->text);
        if (step->has_answer && !replay->diverged) {
            if (!answer != !step->answer || (answer && strcmp(answer, step->answer) != 0))
                report_fault("%s: answered \"%s\", the transcript has \"%s\"", describe(step),
                             answer ? answer : "(nothing)", step->answer ? step->answer : "(nothing)");
        }
        free(answer);
        break;
    }
    case STEP_DESTROY:
        script_destroy(&replay->script, replay->destroy_flags);
        replay->alive = 0;
        break;
    default:
        break;
    }
    free(record);
}

static void run(struct replay* replay, const struct steps* steps, size_t to, vc_entry entry) {
    replay->steps = steps;
    size_t at = 0;
    while (at < to) {
        const struct step* step = &steps->items[at];
        if (step->kind == STEP_COMMAND) {
            diverge(replay, step->line, "the script did not send \"%.70s\"", step->text);
            ++at;
            continue;
        }
        replay->cursor = at + 1;
        deliver(replay, step, entry);
        size_t next = replay->cursor;
        if (next < to && steps->items[next].kind == STEP_COMMAND)
            diverge(replay, steps->items[next].line, "the script did not send \"%.70s\"", steps->items[next].text);
        while (next < to && steps->items[next].kind == STEP_COMMAND) ++next;
        at = next;
    }
}

struct case_counts replay_case(vc_entry entry, const struct steps* startup, const struct steps* scenario, unsigned destroy_flags) {
    struct replay replay;
    memset(&replay, 0, sizeof replay);
    replay.destroy_flags = destroy_flags;
    layout_host_init(&replay.host, 1, replay_answer, &replay);
    if (scenario->begins_with_operator_line) run(&replay, startup, startup->first_operator_step, entry);
    run(&replay, scenario, scenario->count, entry);
    if (replay.alive) {
        report_fault("the transcript does not end with a destroy; the script is destroyed now");
        script_destroy(&replay.script, destroy_flags);
    }
    const struct case_counts counts = {replay.script.calls, replay.host.commands};
    layout_host_dispose(&replay.host);
    return counts;
}
