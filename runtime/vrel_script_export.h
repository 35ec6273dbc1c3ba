// VREL_SCRIPT_EXPORT: marks a script library's one entry, load_vrel_client_script,
// as exported, while the rest of the library stays hidden:
//
//   extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* load_vrel_client_script(
//       vrel_client_callback* host, const char* text);
//
// The host owns the returned script and ends it through the vtable's destructor
// slot (runtime/boundary/vrel_client_callback.h: vrel_destroy_script).
#pragma once

#if defined(_WIN32)
#define VREL_SCRIPT_EXPORT __declspec(dllexport)
#else
#define VREL_SCRIPT_EXPORT __attribute__((visibility("default")))
#endif
