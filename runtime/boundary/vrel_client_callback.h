// vrel_client_callback: the one interface between the panel host and a script.
//
// Both sides implement it. The host calls the script's notify() to deliver
// events; the script calls the host's notify() to send a command text (kind 0)
// or to hand back a reply the host returned earlier (kind 5). Every call comes
// on the host's thread, one at a time.
//
// The order of the virtual functions is the calling contract with the host:
// the destructor first, then notify.
#pragma once

class vrel_client_callback {
public:
    virtual ~vrel_client_callback() {}
    virtual void* notify(void* data, int kind) = 0;
};

// The kinds of notify(). "data" and ownership for each:
namespace vrel_kind {
constexpr int command = 0;    // script -> host: NUL-terminated command text, the script's, valid for the call
constexpr int revertive = 1;  // host -> script: revertive_record, the host's, valid for the call
constexpr int button = 2;     // host -> script: button_record, the host's, valid for the call
constexpr int parent = 3;     // host -> script: parent-command text; the answer is a new buffer or null
constexpr int timer = 4;      // host -> script: the timer id itself, carried in the pointer value
constexpr int release = 5;    // both ways: a buffer the receiver returned earlier, to be freed by it
constexpr int database = 6;   // host -> script: database_record, the host's, valid for the call
constexpr int value = 7;      // host -> script: host data, not read by this component
}  // namespace vrel_kind
