#include "transcript_steps.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char* copy_of(const char* begin, size_t length) {
    char* copy = malloc(length + 1);
    if (!copy) abort();
    memcpy(copy, begin, length);
    copy[length] = '\0';
    return copy;
}

/* The text between the first and the last double quote; null without two. */
static char* quoted(const char* line) {
    const char* first = strchr(line, '"');
    const char* last = strrchr(line, '"');
    if (!first || last == first) return NULL;
    return copy_of(first + 1, (size_t)(last - first - 1));
}

static struct step* add(struct steps* steps, size_t* capacity, enum step_kind kind, const char* file, int line) {
    if (steps->count == *capacity) {
        *capacity = *capacity ? *capacity * 2 : 256;
        steps->items = realloc(steps->items, *capacity * sizeof *steps->items);
        if (!steps->items) abort();
    }
    struct step* step = &steps->items[steps->count++];
    memset(step, 0, sizeof *step);
    step->kind = kind;
    step->file = file;
    step->line = line;
    return step;
}

/* One "< ..." line; false when it is not understood. */
static int read_event(const char* rest, struct steps* steps, size_t* capacity, const char* file, int line) {
    char word[64], panel[64], control[128];
    int a = 0, b = 0, c = 0;
    struct step* step;
    if (strncmp(rest, "create ", 7) == 0) {
        step = add(steps, capacity, STEP_CREATE, file, line);
        step->text = quoted(rest);
        return step->text != NULL;
    }
    if (strcmp(rest, "destroy") == 0) {
        add(steps, capacity, STEP_DESTROY, file, line);
        return 1;
    }
    if (sscanf(rest, "button panel %63s control %127s event %63s", panel, control, word) == 3) {
        step = add(steps, capacity, STEP_BUTTON, file, line);
        step->panel = copy_of(panel, strlen(panel));
        step->control = copy_of(control, strlen(control));
        step->text = quoted(rest);
        return step->text != NULL;
    }
    if (sscanf(rest, "revertive device %d slot %d", &a, &b) == 2) {
        step = add(steps, capacity, STEP_REVERTIVE, file, line);
        step->numbers[0] = a;
        step->numbers[1] = b;
        step->text = quoted(rest);
        return step->text != NULL;
    }
    if (sscanf(rest, "database device %d database %d entry %d", &a, &b, &c) == 3) {
        step = add(steps, capacity, STEP_DATABASE, file, line);
        step->numbers[0] = a;
        step->numbers[1] = b;
        step->numbers[2] = c;
        step->text = quoted(rest);
        return step->text != NULL;
    }
    if (sscanf(rest, "tick timer %d", &a) == 1) {
        step = add(steps, capacity, STEP_TICK, file, line);
        step->numbers[0] = a;
        return 1;
    }
    if (strncmp(rest, "parent ", 7) == 0) {
        step = add(steps, capacity, STEP_PARENT, file, line);
        step->text = quoted(rest);
        return step->text != NULL;
    }
    return 0;
}

static int is_panel_file_command(const char* text) {
    return strncmp(text, "PI ", 3) == 0 || strncmp(text, "PS ", 3) == 0 || strncmp(text, "PR ", 3) == 0;
}

/* The last parent step, when no command has followed it yet. */
static struct step* open_parent(struct steps* steps) {
    for (size_t i = steps->count; i-- > 0;) {
        if (steps->items[i].kind == STEP_PARENT) return steps->items[i].has_answer ? NULL : &steps->items[i];
        if (steps->items[i].kind != STEP_COMMAND) return NULL;
    }
    return NULL;
}

int steps_read(const char* path, struct steps* steps) {
    memset(steps, 0, sizeof *steps);
    FILE* in = fopen(path, "r");
    if (!in) {
        fprintf(stderr, "cannot read the transcript %s\n", path);
        return 0;
    }
    size_t capacity = 0;
    char buffer[8192];
    int line = 0;
    int after_command = 0; /* the previous line was "> ..." */
    int seen_operator_line = 0;
    steps->first_operator_step = (size_t)-1;
    int ok = 1;
    while (fgets(buffer, sizeof buffer, in)) {
        ++line;
        size_t length = strlen(buffer);
        if (length && buffer[length - 1] == '\n') buffer[--length] = '\0';
        const int was_after_command = after_command;
        after_command = 0;
        if (strncmp(buffer, "# ", 2) == 0) {
            if (line == 1) steps->begins_with_operator_line = 1;
            if (!seen_operator_line) steps->first_operator_step = steps->count;
            seen_operator_line = 1;
        } else if (strncmp(buffer, "< ", 2) == 0) {
            if (!read_event(buffer + 2, steps, &capacity, path, line)) {
                fprintf(stderr, "%s:%d: an event this host does not know: %s\n", path, line, buffer);
                ok = 0;
            }
        } else if (strncmp(buffer, "> ", 2) == 0) {
            struct step* step = add(steps, &capacity, STEP_COMMAND, path, line);
            step->text = copy_of(buffer + 2, length - 2);
            step->reply = is_panel_file_command(step->text) ? REPLY_STATUS : REPLY_NOTHING;
            after_command = 1;
        } else if (buffer[0] == '=' || strcmp(buffer, "- no reply") == 0) {
            char* text = buffer[0] == '=' ? copy_of(buffer + 2, length >= 2 ? length - 2 : 0) : NULL;
            struct step* parent = was_after_command ? NULL : open_parent(steps);
            if (was_after_command) {
                struct step* command = &steps->items[steps->count - 1];
                command->reply = text ? REPLY_TEXT : REPLY_NOTHING;
                command->reply_text = text;
            } else if (parent) {
                parent->has_answer = 1;
                parent->answer = text;
            } else {
                free(text);
            }
        } else if (was_after_command && strncmp(buffer, "! ", 2) == 0 && strstr(buffer, " refused")) {
            steps->items[steps->count - 1].reply = REPLY_NOTHING;
        }
    }
    fclose(in);
    if (steps->first_operator_step == (size_t)-1) steps->first_operator_step = steps->count;
    return ok;
}

void steps_free(struct steps* steps) {
    for (size_t i = 0; i < steps->count; ++i) {
        free(steps->items[i].text);
        free(steps->items[i].panel);
        free(steps->items[i].control);
        free(steps->items[i].reply_text);
        free(steps->items[i].answer);
    }
    free(steps->items);
    memset(steps, 0, sizeof *steps);
}

const char* step_name(enum step_kind kind) {
    static const char* const names[] = {"create", "button", "revertive", "database change", "tick", "parent", "destroy", "command"};
    return names[kind];
}
