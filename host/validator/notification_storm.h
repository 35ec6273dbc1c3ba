// A seeded random storm of notifications against one script: buttons on the
// controls the script itself names (and made-up ones), revertives and database
// changes for the devices it uses (and any others), bursts of timer ticks,
// parent commands whose answers are held for a while, hand-backs, and kinds
// the protocol does not define, while the host answers queries with replies of
// every shape. The same seed replays the same storm against the same library.
// Every call is checked by CheckedScript and CheckingHost.
#pragma once

#include <cstdint>
#include <string>

#include "case_report.h"
#include "script_library.h"

namespace validator {

void runStorm(vrelhost::ScriptLibrary::Entry entry, std::uint64_t seed, int notifications, CaseReport& report);

}  // namespace validator
