#include "prepared_host.h"

#include <cstdio>
#include <cstring>

#include "host/protocol/command_grammar.h"

namespace {

char panelStatus[] = "ok";  // PI, PS and PR: a status, only ever tested for null

// The value of the next blank-separated decimal field, advancing `text` past
// it. By hand rather than strtol, whose locale handling would be most of what
// this host costs.
int nextNumber(const char*& text) {
    while (*text == ' ') ++text;
    const bool negative = *text == '-';
    if (negative) ++text;
    int value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (value < 1000000) value = value * 10 + (*text - '0');  // larger is out of every table anyway
    return negative ? -value : value;
}

bool is(const char* command, char a, char b) { return command[0] == a && command[1] == b; }

}  // namespace

PreparedHost::PreparedHost() {
    std::memset(names_, 0, sizeof names_);
    for (int i = 1; i < entries; ++i) {
        std::snprintf(names_[0][i], nameCapacity, "SDI source %03d", i);  // router long names
        std::snprintf(names_[2][i], nameCapacity, "SRC%03d", i);          // router short names
        for (int set = 1; set <= 8; ++set) std::snprintf(names_[set][i], nameCapacity, "N%d %03d", set, i);
    }
    for (int set = 1; set <= 8; ++set) std::snprintf(names_[9][set], nameCapacity, "Studio %d sources", set);
    std::snprintf(lookupReplies_[0], sizeof lookupReplies_[0], "%d 0", routerDevice);
    std::snprintf(lookupReplies_[1], sizeof lookupReplies_[1], "%d 0", tallyDevice);
    std::snprintf(lookupReplies_[2], sizeof lookupReplies_[2], "%d 0", namesLookupDevice);
}

const char* PreparedHost::answerNameRead(const char* command) const {
    const char* fields = command + 2;  // "RN {device} {database} {index}"
    nextNumber(fields);                // every device shares the one table
    const int database = nextNumber(fields);
    const int index = nextNumber(fields);
    if (database < 0 || database >= databases || index < 0 || index >= entries) return nullptr;
    return names_[database][index];
}

const char* PreparedHost::answerLookup(const char* command) const {
    if (std::strcmp(command, "SD 'StC SDI Router'") == 0) return lookupReplies_[0];
    if (std::strcmp(command, "SD 'CTA Tally Infodriver'") == 0) return lookupReplies_[1];
    if (std::strcmp(command, "SD 'StC_UMD_Names_DriverID'") == 0) return lookupReplies_[2];
    return nullptr;
}

bool PreparedHost::isOwnReply(const void* reply) const {
    const char* p = static_cast<const char*>(reply);
    const char* names = &names_[0][0][0];
    const char* lookups = &lookupReplies_[0][0];
    return (p >= names && p < names + sizeof names_) || (p >= lookups && p < lookups + sizeof lookupReplies_) ||
           p == controlReply_;
}

void* VREL_CALLBACK PreparedHost::notify(void* data, int kind) {
    if (kind == vrel_kind::release) {
        if (transcript_) transcript_->push_back(data ? "(hand-back)" : "(hand-back of null)");
        if (data && !isOwnReply(data)) ++badHandBacks_;
        return nullptr;
    }
    if (kind != vrel_kind::command || !data) return nullptr;
    const char* command = static_cast<const char*>(data);
    ++commands_;
    if (transcript_) transcript_->push_back(command);
    const char* reply = nullptr;
    switch (vrelhost::replyKindOf(command)) {
    case vrelhost::ReplyKind::status:
        reply = panelStatus;
        break;
    case vrelhost::ReplyKind::query:
        if (is(command, 'R', 'N')) reply = answerNameRead(command);
        else if (is(command, 'S', 'D')) reply = answerLookup(command);
        else if (is(command, 'T', 'G')) reply = controlReply_;
        break;  // XI: no control list here
    case vrelhost::ReplyKind::none:
        break;
    }
    // The host keeps its replies; the script hands them back with kind 5.
    return const_cast<char*>(reply);
}
