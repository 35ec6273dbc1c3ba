// The interactive prompt of a session: lines from the terminal with line
// editing, history and completion (line_reader.h) when standard input and
// output are a terminal and the build has libedit; otherwise standard input
// read as a stream, prompted as before.
#pragma once

#include "completion.h"
#include "simulation.h"

namespace vrelhost {

// The words Tab completes, from the session as it is now: the verbs, the
// positions, the panels loaded at `position` and their controls, the
// keyboard's named keys.
CompletionWords completionWordsOf(const Simulation& simulation, int position = 1);

// Reads and carries out lines until the end of input or quit; false when a
// line was bad (which does not stop an interactive session).
bool runPrompt(Simulation& simulation);

}  // namespace vrelhost
