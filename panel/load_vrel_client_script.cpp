#include "load_vrel_client_script.h"

#include <new>

#include "Kelvane.h"

extern "C" vrel_client_callback* load_vrel_client_script(vrel_client_callback* host, const char* text) {
    try {
        return new Kelvane(host, text);
    } catch (...) {
        // Out of memory during start-up: the host sees "no script", never an exception.
        return nullptr;
    }
}
