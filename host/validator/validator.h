// The protocol validator: checks any script library against the host protocol,
// as a plugin validator checks audio plugins.
//
// It loads the library as the panel host does (dlopen with RTLD_NOW |
// RTLD_LOCAL, one exported entry), then runs a table of cases: creation and
// destruction with and without a host, repeated lifecycles, unknown kinds,
// hand-backs with kind 5, parent-command answers, replies of every shape, and
// a seeded random storm of notifications. Every case runs in a child process,
// so a crash, a hang or a sanitizer report is a failed case, never a dead
// validator. The host's checks run after every call into the script.
//
// Prints the table of cases with pass or fail and the storm's seed (replay a
// storm with the same seed). `repeat` runs the whole table that many times,
// the storm seed counting up by one each time.
//
// Returns 0 when every case passed, 3 when any failed (the exit status vrel-host
// uses for a protocol breach).
#pragma once

#include <optional>
#include <string>

int runValidator(const std::string& library, std::optional<unsigned long long> seed, int repeat);
