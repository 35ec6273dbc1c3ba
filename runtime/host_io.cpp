// Sending texts to the host and taking its replies: the only place that calls
// the host's notify().
#include "vrel_script_helper.h"

void* vrel_script_helper::send(const char* text) {
    if (!host) return nullptr;
    // The host only reads the text, and only during the call.
    return host->notify(const_cast<char*>(text), vrel_kind::command);
}

void vrel_script_helper::handBack(void* reply) {
    if (host) host->notify(reply, vrel_kind::release);
}

bool vrel_script_helper::query(const char* text, vrel_string& reply) {
    void* answer = send(text);
    if (!answer) return false;
    reply = vrel_string(static_cast<const char*>(answer));
    handBack(answer);
    return true;
}
