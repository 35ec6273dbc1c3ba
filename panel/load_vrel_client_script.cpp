#include <new>

#include "Kelvane.h"
#include "runtime/boundary/vrel_script_entry.h"

extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* VREL_CDECL load_vrel_client_script(vrel_client_callback* host,
                                                                                       const char* text) {
    try {
        return new Kelvane(host, text);
    } catch (...) {
        // Out of memory during start-up: the host sees "no script", never an exception.
        return nullptr;
    }
}
