// The floors: for each benchmarked action, the same command texts the
// component sends, composed with snprintf into stack buffers and sent to the
// same host, with nothing else (no state kept, no text copied beyond what the
// next command needs). What the component costs above its floor is the price
// of its strings, tables and dispatch.
//
// Each function holds the whole conversation of one action, queries and
// hand-backs included, in the component's order; the benchmark checks this
// against the component's own transcript before it times anything.
#pragma once

#include "prepared_host.h"

namespace floors {

// Start-up: panel loading, lookups, the 1,288 name reads, first drawing,
// registrations. `namesDevice` is the site's configured names driver.
void startup(PreparedHost& host, int namesDevice);

// Picking a source, eight keys, "return" and "Update".
void renameRoundTrip(PreparedHost& host, int namesDevice);

// A brightness report for the tally infodriver's slot 211: the previous level's
// button off, the new one on.
void brightnessRevertive(PreparedHost& host, int previousLevel, const char* level);

// The live name set's title renamed in the names driver.
void titleChange(PreparedHost& host, int nameSet, const char* title);

// "return=all" from the parent: the answer in a new buffer, which the caller
// frees as the component frees it when the host hands it back.
char* parentQuery(const char* text, const char* myParam);

}  // namespace floors
