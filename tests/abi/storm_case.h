/* storm_case: seeded random notifications through the Visual C++ layout.
 *
 * Three scripts live side by side: two with hosts of their own, one without
 * a host (created with a null text too). Each gets `events` notifications of
 * every kind in random order (buttons, revertives, database changes, ticks,
 * parent commands, values, null hand-backs, and kinds a script must ignore),
 * and queries get random replies or null. Nothing is compared with expected
 * commands: every call is held to the layout and to the host's rules (see
 * script_calls.h and layout_host.h). The scripts are then destroyed, one
 * with flags 1, one with flags 0, the host-less one as the seed decides.
 *
 * `vocabulary` (may be empty) supplies the panels, controls, events, devices
 * and parent texts of real sessions, so that events reach real handlers. */
#ifndef STORM_CASE_H
#define STORM_CASE_H

#include "transcript_steps.h"
#include "visual_cpp_layout.h"

#include "script_calls.h"

struct case_counts storm_case(vc_entry entry, const char* creation_text, const struct steps* vocabulary, size_t vocabulary_count,
                         unsigned seed, unsigned events);

#endif
