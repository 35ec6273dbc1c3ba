/* The host object of layout_host, laid out by hand as Visual C++ lays out the
 * callback interface: the layout_host itself, whose first word points at a
 * table of thiscall slots. Only slot 1 (notify) belongs to a host; the others
 * end the process with a message (see layout_host.h). */
#include <stdlib.h>
#include <unistd.h>

#include "case_report.h"
#include "layout_host.h"

#define LIVE_HOSTS 8

static struct layout_host* live[LIVE_HOSTS];

static int is_live(const struct layout_host* host) {
    for (int i = 0; i < LIVE_HOSTS; ++i)
        if (live[i] && live[i] == host) return 1;
    return 0;
}

/* Slot 1, thiscall (see visual_cpp_layout.h for the pragma). */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
static void* VC_THISCALL host_notify(struct layout_host* self, void* data, int kind) {
    if (!is_live(self)) {
        report_fault("notify reached the host with this = %p, which is no host object (is `this` passed in ECX?)",
                     (void*)self);
        return NULL;
    }
    return layout_host_receive(self, data, kind);
}
#pragma GCC diagnostic pop

static void wrong_slot(int slot) {
    if (slot == 0)
        report_fault("the script called slot 0 of its host: the host's destructor, which a script never calls");
    else
        report_fault("the script called slot %d of its host; a Visual C++ host object has slots 0 and 1 only "
                     "(was the script built for another layout?)", slot);
    _exit(3);
}
static void slot0(void) { wrong_slot(0); }
static void slot2(void) { wrong_slot(2); }
static void slot3(void) { wrong_slot(3); }
static void slot4(void) { wrong_slot(4); }
static void slot5(void) { wrong_slot(5); }

static const host_slot host_vtable[] = {slot0, (host_slot)host_notify, slot2, slot3, slot4, slot5};

void layout_host_attach(struct layout_host* host) {
    host->vtable = host_vtable;
    for (int i = 0; i < LIVE_HOSTS; ++i) {
        if (!live[i]) {
            live[i] = host;
            return;
        }
    }
    abort();
}

void layout_host_detach(struct layout_host* host) {
    for (int i = 0; i < LIVE_HOSTS; ++i)
        if (live[i] == host) live[i] = NULL;
}

struct vc_object* layout_host_object(struct layout_host* host) { return (struct vc_object*)host; }
