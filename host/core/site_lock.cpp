#include "site_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "user_file.h"

namespace vrelhost {
namespace {

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string("?");
}

// When process `pid` started, in clock ticks after boot (field 22 of
// /proc/PID/stat); empty when that cannot be read.
std::string startOf(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(in, text);
    // The command name in parentheses may hold blanks: count from its end.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return std::string();
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) return field;
    return std::string();
}

// The program process `pid` runs, by the words of its command line; empty
// when that cannot be read.
std::string programOf(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string words((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (char& c : words)
        if (c == '\0') c = ' ';
    while (!words.empty() && words.back() == ' ') words.pop_back();
    return words;
}

// Whether process `pid`, which runs, is the session that wrote the lock:
// a process id is used again by another program once its process ended.
bool sameSession(long pid, const std::string& started) {
    const std::string now = startOf(pid);
    const bool comparable = !started.empty() && !now.empty();
    if (comparable && started == now) return true;
    // Under a user-mode emulator (qemu-user) a process reads a start time of
    // the emulator's making, not the one others see: a vrel-host that runs
    // there still holds its lock, so the program decides.
    const std::string program = programOf(pid);
    if (program.empty()) return !comparable;
    return program.find("vrel-host") != std::string::npos;
}

// Who holds the lock at `path`, as an operator should read it.
std::string holder(const std::string& path, const std::string& sitePath, const std::string& refusal) {
    std::ifstream in(path);
    std::string word, host, started;
    long pid = 0;
    while (in >> word) {
        if (word == "pid") in >> pid;
        else if (word == "host") in >> host;
        else if (word == "started")
            in >> started;
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
    if (here && !sameSession(pid, started)) {
        return "site file " + sitePath + " is locked by a stale lock " + path + ", left by " + who +
               ", which no longer runs (its process id now belongs to another program: " +
               programOf(pid).substr(0, 80) + "); remove " + path + " and start again";
    }
    return "site file " + sitePath + " is in use by another vrel-host session (" + who + ", lock " + path +
           "); its renames would be overwritten, so " + refusal;
}

}  // namespace

std::unique_ptr<SiteLock> SiteLock::take(const std::string& sitePath, std::string& error,
                                         const std::string& refusal) {
    // Beside the file itself, whatever link led to it: two sessions reaching
    // one site by two names take one lock.
    const std::string path = targetOf(sitePath) + ".lock";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno == EEXIST ? holder(path, sitePath, refusal)
                                : "site file " + sitePath + ": cannot create the lock " + path + ": " +
                                      std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<SiteLock> lock(new SiteLock(path));
    const std::string started = startOf(::getpid());
    const std::string text = "pid " + std::to_string(::getpid()) + "\nhost " + hostName() + "\n" +
                             (started.empty() ? std::string() : "started " + started + "\n");
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (::close(fd) != 0 || !written) {
        error = "site file " + sitePath + ": cannot write the lock " + path + ": " + std::strerror(errno);
        return nullptr;  // the lock's destructor removes the file
    }
    return lock;
}

SiteLock::~SiteLock() { ::unlink(path_.c_str()); }

}  // namespace vrelhost
