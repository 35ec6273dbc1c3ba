// The session's configuration folder: what the script reads from it, and that
// it is gone afterwards, also when a signal ends the process (Ctrl-C at the
// prompt) before the session could end.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "config_folder.h"

namespace vrelhost {
namespace {

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

TEST(ConfigFolder, HoldsTheNameDriverAndIsRemovedWithItsOwner) {
    std::string error, folder;
    {
        std::unique_ptr<ConfigFolder> config = ConfigFolder::create("velmorcast.StA_UMD_Names_DriverID", "61", error);
        ASSERT_TRUE(config) << error;
        folder = config->path();
        ASSERT_NE(std::getenv("VREL_CONFIG_DIR"), nullptr);
        EXPECT_EQ(std::string(std::getenv("VREL_CONFIG_DIR")), folder);
        std::ifstream ini(folder + "/velmorcast.ini");
        std::stringstream text;
        text << ini.rdbuf();
        EXPECT_NE(text.str().find("[StA_UMD_Names_DriverID]\nvalue=61\n"), std::string::npos) << text.str();
    }
    EXPECT_FALSE(exists(folder));
}

// The variable the folder was named in is as it was before the session:
// set to what it held, set but empty, or not set at all.
TEST(ConfigFolder, PutsTheVariableBackAsItWas) {
    const char* saved = std::getenv("VREL_CONFIG_DIR");
    const std::string outer = saved ? saved : "";
    const bool wasSet = saved != nullptr;
    for (const char* before : {"/site/config", "", static_cast<const char*>(nullptr)}) {
        if (before) setenv("VREL_CONFIG_DIR", before, 1);
        else unsetenv("VREL_CONFIG_DIR");
        std::string error;
        std::unique_ptr<ConfigFolder> config = ConfigFolder::create("velmorcast.StA_UMD_Names_DriverID", "60", error);
        ASSERT_TRUE(config) << error;
        ASSERT_NE(std::getenv("VREL_CONFIG_DIR"), nullptr);
        EXPECT_EQ(std::string(std::getenv("VREL_CONFIG_DIR")), config->path());
        config.reset();
        const char* after = std::getenv("VREL_CONFIG_DIR");
        if (before) {
            ASSERT_NE(after, nullptr) << "\"" << before << "\" was unset";
            EXPECT_EQ(std::string(after), before);
        } else {
            EXPECT_EQ(after, nullptr) << "set to " << after;
        }
    }
    if (wasSet) setenv("VREL_CONFIG_DIR", outer.c_str(), 1);
    else unsetenv("VREL_CONFIG_DIR");
}

// The child makes the folder, tells the parent where, and is ended by
// `signal`; the parent checks how it ended and what it left.
void endedBySignal(int signal, bool ignoredBefore, int& howEnded, std::string& folder) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        if (ignoredBefore) std::signal(signal, SIG_IGN);
        std::string error;
        std::unique_ptr<ConfigFolder> config = ConfigFolder::create("velmorcast.StA_UMD_Names_DriverID", "60", error);
        const std::string path = config ? config->path() : std::string();
        if (write(fds[1], path.c_str(), path.size()) != static_cast<ssize_t>(path.size())) _exit(2);
        close(fds[1]);
        std::raise(signal);
        // Reached only when the signal was ignored: leave the way a normal run does.
        config.reset();
        _exit(0);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n = 0, got = 0;
    while ((n = read(fds[0], buffer + got, sizeof buffer - 1 - static_cast<std::size_t>(got))) > 0) got += n;
    close(fds[0]);
    folder.assign(buffer, static_cast<std::size_t>(got));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    howEnded = WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status);
}

TEST(ConfigFolder, RemovedWhenASignalEndsTheProcess) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        int howEnded = 0;
        std::string folder;
        endedBySignal(signal, false, howEnded, folder);
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(howEnded, signal) << "the process still ends by the signal";
        EXPECT_FALSE(exists(folder)) << folder << " left behind after signal " << signal;
    }
}

TEST(ConfigFolder, AnIgnoredSignalStaysIgnored) {
    int howEnded = 0;
    std::string folder;
    endedBySignal(SIGHUP, true, howEnded, folder);
    EXPECT_EQ(howEnded, 0) << "a SIGHUP ignored before (nohup) must not end the session";
    EXPECT_FALSE(exists(folder));
}

}  // namespace
}  // namespace vrelhost
