// VREL_SCRIPT_EXPORT: marks a script library's one entry, load_vrel_client_script,
// as exported, while the rest of the library stays hidden:
//
//   extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* load_vrel_client_script(
//       vrel_client_callback* host, const char* text);
//
// The host owns the returned script and ends it through the vtable's destructor
// slot (runtime/boundary/vrel_client_callback.h: vrel_destroy_script).
//
// In the Visual C++ layout it also marks the entry as called by a host that
// keeps the stack aligned to 4 bytes only (VREL_HOST_ENTRY).
#pragma once

#include "runtime/boundary/vrel_client_callback.h"

#if defined(_WIN32)
#define VREL_SCRIPT_EXPORT __declspec(dllexport) VREL_HOST_ENTRY
#else
#define VREL_SCRIPT_EXPORT __attribute__((visibility("default"))) VREL_HOST_ENTRY
#endif
