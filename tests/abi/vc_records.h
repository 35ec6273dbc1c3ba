/* vc_records: the records this host passes with kinds 1, 2 and 6, built in
 * the 32-bit layouts of visual_cpp_layout.h. They are the host's: each lives
 * until the host frees it, after the call it was passed to. */
#ifndef VC_RECORDS_H
#define VC_RECORDS_H

#include "visual_cpp_layout.h"

/* A button record with its event split. `panel` and `control` are the
 * caller's and must outlive the record. */
struct vc_button {
    struct vc_button_record record;
    struct vc_event event;
};
void vc_button_make(struct vc_button* button, const char* panel, const char* control, const char* event_text);
void vc_button_free(struct vc_button* button);

/* A revertive (second = 0) or database-change record; free() it. */
struct vc_value_record* vc_value_record_make(int device, int second, int index, const char* text);

#endif
