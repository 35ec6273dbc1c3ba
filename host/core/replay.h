// Replay: runs the operator lines a saved transcript holds again, on a new
// build of the script, and compares the new transcript with the saved one,
// line by line. The saved transcript must be an exact one (--transcript); its
// creation line gives the creation text, each "# N: LINE" is run again as
// line N, and each narration line "* TEXT" as the line `say TEXT`. A site file is only read, never written.
#pragma once

#include <ostream>
#include <string>

#include "simulation.h"

namespace vrelhost {

// Where a session keeps the site as it was at its start, beside its
// transcript: TRANSCRIPT.site.json. A replay without a site of its own runs
// on that copy when it exists.
std::string siteCopyBeside(const std::string& transcriptPath);

// 0 when the new transcript is the saved one, line for line; 1 when it
// differs (the first difference, with its line number and both lines, goes
// to `out`) or the replay cannot run (the reason goes to `out`).
// `settings` gives the profile, library and site; the rest is the replay's.
int replayTranscript(const std::string& transcriptPath, SimulationSettings settings, std::ostream& out);

}  // namespace vrelhost
