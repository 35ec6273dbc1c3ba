// The platform's debug channel. Each call hands over one complete text,
// unchanged: nothing is appended, so callers add their own line ends.
//
// On Windows this is OutputDebugStringA; elsewhere each text goes to standard
// error in a single write. Tests swap the sink to capture what is written.
#pragma once

#include <string>

namespace vrel {

void debugWrite(const char* text);

// A replacement destination for debug texts; `context` is passed back unchanged.
// Passing nullptr restores the platform channel. Not thread-safe: set it before
// the script runs, from the thread that drives it.
using DebugSink = void (*)(const char* text, void* context);
void setDebugSink(DebugSink sink, void* context);

}  // namespace vrel
