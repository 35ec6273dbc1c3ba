// PreparedHost: a panel host that costs next to nothing, for benchmarks. It
// takes the codes and what each is answered with from the protocol kit
// (host/protocol/command_grammar.h) but none of its checks: those allocate,
// and this host must not.
//
// Every query is answered from tables filled once in the constructor: the
// device lookups, the 1,288 name reads of a start-up (router databases 0 and 2,
// name-driver databases 1 to 9) and the keyboard's text. Replies are slices of
// the host's own preallocated storage, so answering allocates nothing and a
// hand-back (kind 5) only has to be checked, never freed. Panel-file commands
// get a status; every other command text is only counted.
//
// The benchmark drives the component and its hand-written floor against the
// same host, so the host's small cost is in both sides of every ratio. With a
// transcript attached, every command text and hand-back is also copied into it
// (used once, untimed, to prove that both sides send the very same texts).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/boundary/vrel_client_callback.h"

class PreparedHost : public vrel_client_callback {
public:
    // The device numbers the lookups answer with. The configuration value
    // overrides the names driver's lookup, as on a real site.
    static constexpr int routerDevice = 10;
    static constexpr int tallyDevice = 57;
    static constexpr int namesLookupDevice = 31;

    PreparedHost();

    void* VREL_CALLBACK notify(void* data, int kind) override;

    // The text the next TG query answers with, "text=..." as a keyboard does.
    // Not copied: it must outlive the queries that return it.
    void setControlReply(const char* reply) { controlReply_ = reply; }

    // Copies every command text and hand-back into `transcript` (null: stop).
    void record(std::vector<std::string>* transcript) { transcript_ = transcript; }

    // The name the host holds for entry `index` of `database` (0 to 9).
    const char* name(int database, int index) const { return names_[database][index]; }

    std::size_t commandsSeen() const { return commands_; }
    // Hand-backs of a pointer this host never gave out (nulls are legal).
    std::size_t badHandBacks() const { return badHandBacks_; }

private:
    static constexpr int databases = 10;
    static constexpr int entries = 129;
    static constexpr int nameCapacity = 24;

    const char* answerNameRead(const char* command) const;
    const char* answerLookup(const char* command) const;
    bool isOwnReply(const void* reply) const;

    char names_[databases][entries][nameCapacity];
    char lookupReplies_[3][8];
    const char* controlReply_ = nullptr;
    std::vector<std::string>* transcript_ = nullptr;
    std::size_t commands_ = 0;
    std::size_t badHandBacks_ = 0;
};
