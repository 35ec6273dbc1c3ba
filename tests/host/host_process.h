// vrel-host in a process of its own, as a user runs it: in the build folder
// (where panels/ is), its standard input a pipe the test writes, its
// standard output and error in one file. What the child must be set up with
// beforehand (a limit, the environment, another standard input) is done by a
// function the test passes, between the fork and the exec.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace {

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Whether a session's lock at `path` is there with what it says about its
// holder: the file is created first and written a moment later.
bool lockWritten(const std::string& path) {
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.find("\nhost ") != std::string::npos;
}

// Waits up to ten seconds for `done`.
template <typename Condition>
bool eventually(Condition done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// The emulator a cross build runs vrel-host under (empty natively), word by word.
std::vector<std::string> emulatorWords() {
    std::vector<std::string> words;
    std::istringstream emulator(VREL_HOST_EMULATOR);
    for (std::string word; std::getline(emulator, word, '|');)
        if (!word.empty()) words.push_back(word);
    return words;
}

// Replaces the process with vrel-host and `args` (under the emulator, if any).
[[noreturn]] void execHost(const std::vector<std::string>& args) {
    std::vector<std::string> all = emulatorWords();
    all.push_back(VREL_HOST);
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

class HostProcess {
public:
    HostProcess(const std::vector<std::string>& args, const std::string& messages,
                const std::function<void()>& inChild = nullptr) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[0], STDIN_FILENO);
            close(fds[0]);
            close(fds[1]);
            const int out = open(messages.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            if (chdir(VREL_HOST_FOLDER) != 0) _exit(126);
            if (inChild) inChild();
            execHost(args);
        }
        close(fds[0]);
        input_ = fds[1];
    }
    ~HostProcess() {
        closeInput();
        if (pid_ > 0 && !waited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    void say(const std::string& lines) { ASSERT_EQ(write(input_, lines.data(), lines.size()), (ssize_t)lines.size()); }
    void closeInput() {
        if (input_ >= 0) close(input_);
        input_ = -1;
    }
    // The raw wait status; a process still running after `seconds` is killed
    // (SIGKILL), so a session that hangs fails its test instead of the suite.
    int wait(int seconds = 60) {
        int status = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        waited_ = true;
        return status;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    bool waited_ = false;
};

// Runs to the end with no input; the exit status (-1 when a signal ended it).
int run(const std::vector<std::string>& args, const std::string& messages,
        const std::function<void()>& inChild = nullptr) {
    HostProcess host(args, messages, inChild);
    host.closeInput();
    const int status = host.wait();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace
