#include "storm_case.h"

#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "case_report.h"
#include "layout_host.h"
#include "script_calls.h"
#include "vc_records.h"

#define SCRIPTS 3

struct storm {
    uint32_t state; /* xorshift32 */
    const struct steps* vocabulary;
    size_t vocabulary_count;
    char reply[64];
};

static uint32_t next_random(struct storm* storm) {
    uint32_t x = storm->state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return storm->state = x;
}

static uint32_t below(struct storm* storm, uint32_t bound) { return next_random(storm) % bound; }

/* Random bytes (never NUL), sometimes only digits. */
static void random_text(struct storm* storm, char* out, size_t size) {
    const size_t length = below(storm, (uint32_t)(size < 25 ? size : 25));
    const int digits = below(storm, 3) == 0;
    for (size_t i = 0; i < length; ++i)
        out[i] = digits ? (char)('0' + below(storm, 10)) : (char)(1 + below(storm, 255));
    out[length] = '\0';
}

/* A step of a given kind from the vocabulary, or null. */
static const struct step* sample(struct storm* storm, enum step_kind kind) {
    for (int attempt = 0; attempt < 8 && storm->vocabulary_count; ++attempt) {
        const struct steps* steps = &storm->vocabulary[below(storm, (uint32_t)storm->vocabulary_count)];
        if (!steps->count) continue;
        const struct step* step = &steps->items[below(storm, (uint32_t)steps->count)];
        if (step->kind == kind) return step;
    }
    return NULL;
}

static struct answer storm_answer(void* context, const char* command) {
    struct storm* storm = context;
    struct answer answer = {ANSWER_NOTHING, NULL};
    /* The queries get a reply (or, now and then, null); panel-file commands a status. */
    if (!strncmp(command, "SD ", 3) || !strncmp(command, "XI ", 3) || !strncmp(command, "RN ", 3) ||
        !strncmp(command, "TG ", 3)) {
        if (below(storm, 8) == 0) return answer;
        const struct step* known = below(storm, 2) ? sample(storm, STEP_COMMAND) : NULL;
        if (known && known->reply == REPLY_TEXT && !strncmp(known->text, command, 3)) {
            snprintf(storm->reply, sizeof storm->reply, "%s", known->reply_text);
        } else {
            random_text(storm, storm->reply, sizeof storm->reply);
            if (!strncmp(command, "TG ", 3) && below(storm, 2)) memcpy(storm->reply, "text=", 5);
        }
        answer.kind = ANSWER_REPLY;
        answer.text = storm->reply;
    } else if (!strncmp(command, "PI ", 3) || !strncmp(command, "PS ", 3) || !strncmp(command, "PR ", 3)) {
        answer.kind = below(storm, 8) ? ANSWER_STATUS : ANSWER_NOTHING;
    }
    return answer;
}

static void random_button(struct storm* storm, struct script_under_test* script) {
    static const char* const panels[] = {"1", "2", "3", ""};
    static const char* const events[] = {"button=released", "button=pressed", "index=1", "index=128", "index=0",
                                         "index=-5", "key.A", "key.return", "key.backspace", "key.space", "", "a.b.c=d"};
    const struct step* known = sample(storm, STEP_BUTTON);
    char control[32], event[32];
    const char* panel = known && below(storm, 4) ? known->panel : panels[below(storm, 4)];
    if (known && below(storm, 4)) {
        snprintf(control, sizeof control, "%s", known->control);
    } else {
        random_text(storm, control, sizeof control);
    }
    if (known && below(storm, 2)) {
        snprintf(event, sizeof event, "%s", known->text);
    } else if (below(storm, 4)) {
        snprintf(event, sizeof event, "%s", events[below(storm, sizeof events / sizeof *events)]);
    } else {
        random_text(storm, event, sizeof event);
    }
    struct vc_button button;
    vc_button_make(&button, panel, control, event);
    script_notify(script, &button.record, VC_BUTTON, "a button (kind 2)");
    vc_button_free(&button);
}

static int random_device(struct storm* storm) {
    const struct step* known = sample(storm, below(storm, 2) ? STEP_REVERTIVE : STEP_DATABASE);
    if (known && below(storm, 4)) return known->numbers[0];
    return (int)below(storm, 100) - 1;
}

static void random_value_record(struct storm* storm, struct script_under_test* script, int kind) {
    char text[32];
    const struct step* known = sample(storm, kind == VC_REVERTIVE ? STEP_REVERTIVE : STEP_DATABASE);
    if (known && below(storm, 2)) {
        snprintf(text, sizeof text, "%s", known->text);
    } else {
        random_text(storm, text, sizeof text);
    }
    const int device = random_device(storm);
    struct vc_value_record* record;
    if (kind == VC_REVERTIVE) {
        const int slot = below(storm, 2) ? 211 + (int)below(storm, 2) : (int)below(storm, 5000) - 10;
        record = vc_value_record_make(device, 0, slot, text);
        script_notify(script, record, VC_REVERTIVE, "a revertive (kind 1)");
    } else {
        record = vc_value_record_make(device, (int)below(storm, 12) - 1, (int)below(storm, 132) - 1, text);
        script_notify(script, record, VC_DATABASE, "a database change (kind 6)");
    }
    free(record);
}

static void random_parent(struct storm* storm, struct script_under_test* script) {
    static const char* const forms[] = {"return=all", "return=myParam", "_events", "_commands", "x=1", "a.b.c=d=e", "=", ".", ""};
    char text[32];
    const char* chosen = text;
    const struct step* known = sample(storm, STEP_PARENT);
    const uint32_t choice = below(storm, 8);
    if (choice == 0) {
        chosen = NULL;
    } else if (choice < 3 && known) {
        chosen = known->text;
    } else if (choice < 6) {
        chosen = forms[below(storm, sizeof forms / sizeof *forms)];
    } else {
        random_text(storm, text, sizeof text);
    }
    free(script_parent(script, chosen));
}

static void random_event(struct storm* storm, struct script_under_test* script) {
    static const int ignored_kinds[] = {0, 8, -1, 100, INT_MIN, INT_MAX};
    char data[16] = "host data";
    const uint32_t roll = below(storm, 100);
    if (roll < 40) {
        random_button(storm, script);
    } else if (roll < 55) {
        random_value_record(storm, script, VC_REVERTIVE);
    } else if (roll < 70) {
        random_value_record(storm, script, VC_DATABASE);
    } else if (roll < 80) {
        script_notify(script, (void*)(intptr_t)((int)below(storm, 5) - 1), VC_TIMER, "a timer tick (kind 4)");
    } else if (roll < 90) {
        random_parent(storm, script);
    } else if (roll < 93) {
        script_notify(script, data, VC_VALUE, "host data (kind 7)");
    } else if (roll < 95) {
        script_notify(script, NULL, VC_RELEASE, "a null hand-back (kind 5)");
    } else {
        const int kind = ignored_kinds[below(storm, sizeof ignored_kinds / sizeof *ignored_kinds)];
        char what[48];
        snprintf(what, sizeof what, "kind %d, which a script ignores", kind);
        script_notify(script, data, kind, what);
    }
}

struct case_counts storm_case(vc_entry entry, const char* creation_text, const struct steps* vocabulary, size_t vocabulary_count,
                         unsigned seed, unsigned events) {
    struct storm storm = {seed ? seed : 1u, vocabulary, vocabulary_count, {0}};
    struct layout_host hosts[2];
    layout_host_init(&hosts[0], 1, storm_answer, &storm);
    layout_host_init(&hosts[1], 2, storm_answer, &storm);
    struct script_under_test scripts[SCRIPTS];
    int alive[SCRIPTS] = {0};
    alive[0] = script_create(&scripts[0], entry, &hosts[0], creation_text);
    alive[1] = script_create(&scripts[1], entry, &hosts[1], creation_text);
    alive[2] = script_create(&scripts[2], entry, NULL, NULL);
    for (int i = 0; i < SCRIPTS; ++i)
        if (!alive[i]) report_fault("script %d: the entry returned no script", i + 1);

    for (unsigned n = 0; n < events * SCRIPTS; ++n) {
        const uint32_t which = below(&storm, SCRIPTS);
        if (alive[which]) random_event(&storm, &scripts[which]);
    }
    const unsigned flags[SCRIPTS] = {1u, 0u, below(&storm, 2)};
    struct case_counts counts = {0, 0};
    for (int i = 0; i < SCRIPTS; ++i) {
        if (!alive[i]) continue;
        script_destroy(&scripts[i], flags[i]);
        counts.calls += scripts[i].calls;
    }
    counts.commands = hosts[0].commands + hosts[1].commands;
    layout_host_dispose(&hosts[0]);
    layout_host_dispose(&hosts[1]);
    return counts;
}
