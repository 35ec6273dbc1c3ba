// The one entry a script library exports, declared once for both sides: the
// script defines it, a host looks it up by name and calls it through
// vrel_script_entry.
//
// The host calls the entry once per panel instance with its own callback
// object (not owned by the script; may be null) and the creation text (the
// folder of the panel files; may be null). It returns the new script, which the
// host owns and ends through the vtable's destructor slot (vrel_destroy_script),
// or null when the script could not be created. No exception may leave it: the host is not
// built to catch one.
//
// A script library defines it, everything else of the library staying hidden:
//
//   extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* VREL_CDECL load_vrel_client_script(
//       vrel_client_callback* host, const char* text) {
//       try { return new MyPanel(host, text); } catch (...) { return nullptr; }
//   }
#pragma once

#include "runtime/boundary/vrel_client_callback.h"

// Marks the entry as exported, whatever the library's default visibility. In
// the Visual C++ layout it also marks the entry as called by a host that keeps
// the stack aligned to 4 bytes only (VREL_HOST_ENTRY).
#if defined(_WIN32)
#define VREL_SCRIPT_EXPORT __declspec(dllexport) VREL_HOST_ENTRY
#else
#define VREL_SCRIPT_EXPORT __attribute__((visibility("default"))) VREL_HOST_ENTRY
#endif

// The entry is a C function (cdecl: the caller pops the arguments). On 32-bit
// Windows that is said explicitly, because a host's compiler may take another
// default: Visual C++ with /Gz makes every function stdcall that states no
// convention, and its host would then call _load_vrel_client_script@8 and
// leave 8 bytes on the stack after every call.
#if defined(_WIN32) && !defined(_WIN64)
#define VREL_CDECL __cdecl
#else
#define VREL_CDECL
#endif

// The entry as a host holds it after looking it up.
using vrel_script_entry = vrel_client_callback*(VREL_CDECL*)(vrel_client_callback* host, const char* text);

// Declared here so that a definition with another signature fails to compile
// instead of failing when the host calls it.
extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* VREL_CDECL load_vrel_client_script(vrel_client_callback* host,
                                                                                       const char* text);
