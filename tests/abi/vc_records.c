#include "vc_records.h"

#include <stdlib.h>
#include <string.h>

static const char no_text[] = "";

static void split_event(struct vc_event* event) {
    char* p = event->buffer;
    event->command = p;
    for (; *p && event->sub_count < VC_EVENT_SUBS; ++p) {
        if (*p == '.') {
            *p = '\0';
            event->sub[event->sub_count++] = p + 1;
        } else if (*p == '=') {
            *p = '\0';
            event->has_value = 1;
            event->value = p + 1;
            break;
        }
    }
}

void vc_button_make(struct vc_button* button, const char* panel, const char* control, const char* event_text) {
    memset(button, 0, sizeof *button);
    button->record.panel = panel;
    button->record.control = control;
    button->record.event = &button->event;
    button->event.command = no_text;
    button->event.value = no_text;
    for (int i = 0; i < VC_EVENT_SUBS; ++i) button->event.sub[i] = no_text;
    if (event_text && *event_text) {
        button->event.buffer = malloc(strlen(event_text) + 1);
        if (!button->event.buffer) abort();
        strcpy(button->event.buffer, event_text);
        split_event(&button->event);
    }
}

void vc_button_free(struct vc_button* button) {
    free(button->event.buffer);
    button->event.buffer = NULL;
}

struct vc_value_record* vc_value_record_make(int device, int second, int index, const char* text) {
    const size_t length = strlen(text);
    struct vc_value_record* record = malloc(sizeof *record + length + 1);
    if (!record) abort();
    record->device = device;
    record->second = second;
    record->index = index;
    record->not_read = 0;
    memcpy(record->text, text, length + 1);
    return record;
}
