// Files and folders a session must not leave behind when Ctrl-C, SIGTERM,
// SIGHUP or SIGPIPE (the console's reader has gone) ends the process before the session can remove them
// itself (the configuration folder, the site's lock file).
//
// While at least one path is registered, those signals (where they would end
// the process anyway: a signal that is ignored, as under nohup, or already
// handled is left alone) remove every registered path, newest first, and then
// end the process as the signal would have. A handle removes its path from the
// list, not from the disk, when it goes. The handler says on standard error
// which signal ended the session and after which line. Paths are copied into fixed storage,
// since a signal handler may call only a few functions. One thread.
#pragma once

#include <string>

namespace vrelhost {

class SignalCleanup {
public:
    // Registers `path` (a file, or an empty folder) until the handle goes.
    explicit SignalCleanup(const std::string& path);
    ~SignalCleanup();
    SignalCleanup(const SignalCleanup&) = delete;
    SignalCleanup& operator=(const SignalCleanup&) = delete;

    // Removes every registered path now, as the handler would: for a program
    // that takes the signals itself (sigwait) and must end at once on a
    // second one. Async-signal-safe.
    static void removeAll();
    // The operator line last run, for the handler's message.
    static void lineRun(int number);

private:
    int slot_ = -1;  // -1 when there was no room or the path was too long
};

}  // namespace vrelhost
