#include "site_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

#include "user_file.h"

namespace vrelhost {
namespace {

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string("?");
}

// Who holds the lock at `path`, as an operator should read it.
std::string holder(const std::string& path, const std::string& sitePath) {
    std::ifstream in(path);
    std::string word, host;
    long pid = 0;
    while (in >> word) {
        if (word == "pid") in >> pid;
        else if (word == "host") in >> host;
    }
    if (pid <= 0) {
        return "site file " + sitePath + " is locked by " + path +
               ", which names no session; remove it if no vrel-host uses the site";
    }
    const std::string who = "process " + std::to_string(pid) + " on " + (host.empty() ? "?" : host);
    const bool here = host == hostName();
    if (here && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
        return "site file " + sitePath + " is locked by " + path + ", left by " + who +
               ", which no longer runs; remove " + path + " and start again";
    }
    return "site file " + sitePath + " is in use by another vrel-host session (" + who + ", lock " + path +
           "); its renames would be overwritten, so this one does not start";
}

}  // namespace

std::unique_ptr<SiteLock> SiteLock::take(const std::string& sitePath, std::string& error) {
    // Beside the file itself, whatever link led to it: two sessions reaching
    // one site by two names take one lock.
    const std::string path = targetOf(sitePath) + ".lock";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno == EEXIST ? holder(path, sitePath)
                                : "site file " + sitePath + ": cannot create the lock " + path + ": " +
                                      std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<SiteLock> lock(new SiteLock(path));
    const std::string text = "pid " + std::to_string(::getpid()) + "\nhost " + hostName() + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (::close(fd) != 0 || !written) {
        error = "site file " + sitePath + ": cannot write the lock " + path + ": " + std::strerror(errno);
        return nullptr;  // the lock's destructor removes the file
    }
    return lock;
}

SiteLock::~SiteLock() { ::unlink(path_.c_str()); }

}  // namespace vrelhost
