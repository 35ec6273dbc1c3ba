/* replay_case: a saved transcript run again through the Visual C++ layout.
 *
 * A fresh script is created and every event of the transcript is delivered
 * through slot 1 (the destroy through slot 0, with the flags given); each
 * command the script sends must be the transcript's next one, and is
 * answered with the reply the transcript shows. A transcript that starts at
 * an operator line ("# N:") omits the start-up: the start-up transcript's
 * steps up to its first operator line run first. The first difference is
 * reported and ends the comparison; the calls and their checks go on. */
#ifndef REPLAY_CASE_H
#define REPLAY_CASE_H

#include "transcript_steps.h"
#include "visual_cpp_layout.h"

#include "script_calls.h"

/* `startup` may be the same as `scenario`. */
struct case_counts replay_case(vc_entry entry, const struct steps* startup, const struct steps* scenario, unsigned destroy_flags);

#endif
