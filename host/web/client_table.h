// ClientTable: the view's open connections by client address, and which one
// gives way when a new one would pass a cap.
//
// Each address may hold `perAddress` connections, all together `total`. A
// connection is either waiting (for its request to arrive: a slow client, an
// idle keep-alive; or for its client to take a reply) or busy (its request
// is being carried out, or it carries an event stream). When a new
// connection would pass a cap, the connection that has waited longest gives
// way to it: a client that trickles its request byte by byte, or pipelines
// requests and never reads the replies, cannot keep a browser of the same
// machine out, since a browser's request arrives at once and it reads its
// replies. Busy connections never give way; when there is no waiting one to
// close, the new connection is refused.
//
// Bookkeeping only: the caller closes what it is told to. One thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vrelhost {

class ClientTable {
public:
    using Id = std::uint64_t;

    ClientTable(int perAddress, int total) : perAddress_(perAddress), total_(total) {}

    struct Admission {
        bool admitted = false;
        std::vector<Id> giveWay;  // to close now; already forgotten here
    };
    // Records a new connection, waiting; says which to close to make room.
    Admission admit(Id id, const std::string& address);
    void setBusy(Id id, bool busy);
    void remove(Id id);

    int openFrom(const std::string& address) const;
    int open() const { return static_cast<int>(entries_.size()); }

private:
    struct Entry {
        std::string address;
        bool busy = false;
        std::uint64_t waitingSince = 0;  // the order in which connections began to wait
    };
    // The connection that has waited longest, of `address` or (empty) of all.
    bool oldestWaiting(const std::string* address, Id& found) const;

    int perAddress_, total_;
    std::map<Id, Entry> entries_;
    std::map<std::string, int> perAddressOpen_;
    std::uint64_t clock_ = 0;
};

}  // namespace vrelhost
