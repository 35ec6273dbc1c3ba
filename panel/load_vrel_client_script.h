// The library's one export. The host calls it once per panel instance with its
// own callback object (not owned; may be null) and the creation text (the
// folder of the panel files; may be null). It returns the new script, which the
// host owns and ends through the vtable's destructor slot (vrel_destroy_script),
// or null when the script could not be created. No exception ever leaves it.
#pragma once

#include "runtime/boundary/vrel_client_callback.h"

#if defined(_WIN32)
#define KELVANE_EXPORT __declspec(dllexport) VREL_HOST_ENTRY
#else
#define KELVANE_EXPORT __attribute__((visibility("default"))) VREL_HOST_ENTRY
#endif

extern "C" KELVANE_EXPORT vrel_client_callback* load_vrel_client_script(vrel_client_callback* host,
                                                                        const char* text);
