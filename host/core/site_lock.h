// SiteLock: one session at a time on a site file, so that no session's
// renames are overwritten by another's saves.
//
// The lock is the file SITE.lock beside the site (beside the file a link
// leads to, so every name of one site takes the same lock; a site with more
// than one hard link is refused before it is locked), created exclusively and
// holding the process id, host name and start time of its session; a lock
// whose process id now belongs to another program is stale. A second session is
// refused, and told who holds the site. The lock goes when the object goes,
// and when Ctrl-C, SIGTERM or SIGHUP ends the process (signal_cleanup.h). A
// process killed outright (SIGKILL, a power cut) leaves it behind: the
// message then says so, and removing SITE.lock by hand frees the site.
#pragma once

#include <memory>
#include <string>

#include "signal_cleanup.h"

namespace vrelhost {

class SiteLock {
public:
    // The lock on `sitePath`, or nothing with `error` naming the holder and
    // ending with `refusal` (what is therefore not done). Every writer of a
    // site takes it: a session, and --write-site.
    static std::unique_ptr<SiteLock> take(const std::string& sitePath, std::string& error,
                                          const std::string& refusal = "this one does not start");
    ~SiteLock();
    SiteLock(const SiteLock&) = delete;
    SiteLock& operator=(const SiteLock&) = delete;

    const std::string& path() const { return path_; }

private:
    explicit SiteLock(std::string path) : path_(std::move(path)), onSignal_(path_) {}
    std::string path_;
    SignalCleanup onSignal_;
};

}  // namespace vrelhost
