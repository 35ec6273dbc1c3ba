// vrel-host as a user runs it, in processes of its own: the transcript on
// disk while a session waits for input, two sessions on one site, and paths
// that would destroy a file when given twice.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Waits up to ten seconds for `done`.
template <typename Condition>
bool eventually(Condition done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// vrel-host running in the build folder (where panels/ is), its standard
// input a pipe the test writes, its messages in a file.
class HostProcess {
public:
    HostProcess(const std::vector<std::string>& args, const std::string& messages) {
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
            std::vector<std::string> all;
            std::istringstream emulator(VREL_HOST_EMULATOR);
            for (std::string word; std::getline(emulator, word, '|');)
                if (!word.empty()) all.push_back(word);
            all.push_back(VREL_HOST);
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (std::string& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
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
    // The raw wait status.
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        waited_ = true;
        return status;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    bool waited_ = false;
};

// Runs to the end with no input; the exit status (-1 when a signal ended it).
int run(const std::vector<std::string>& args, const std::string& messages) {
    HostProcess host(args, messages);
    host.closeInput();
    const int status = host.wait();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class HostCli : public ::testing::Test {
protected:
    void SetUp() override {
        site = folder + "/site.json";
        messages = folder + "/messages";
        ASSERT_EQ(run({"--write-site", site}, messages), 0) << readFile(messages);
    }

    void write(const std::string& name, const std::string& text) { std::ofstream(folder + "/" + name) << text; }

    TempFolder temp{"vrel-cli-test"};
    std::string folder = temp.path(), site, messages;
};

TEST_F(HostCli, TranscriptHoldsEveryLineWhileTheSessionWaitsAndASignalLeavesNothingBehind) {
    const std::string transcript = folder + "/run.log";
    HostProcess host({"--site", site, "--transcript", transcript}, messages);
    host.say("press 1 Select_3\n");
    EXPECT_TRUE(eventually([&] { return readFile(transcript).find("> CE '1' 'Confirm'\n") != std::string::npos; }))
        << "the lines of the press are not in the file while the session waits:\n"
        << readFile(transcript).substr(readFile(transcript).size() > 300 ? readFile(transcript).size() - 300 : 0);
    EXPECT_TRUE(exists(site + ".lock"));
    kill(host.pid(), SIGTERM);
    const int status = host.wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    const std::string text = readFile(transcript);
    EXPECT_EQ(text.substr(text.rfind("# 1:")), "# 1: press 1 Select_3\n< button panel 1 control Select_3 event "
                                                "\"button=released\"\n> TP 'statesheet=KRSourceSelected' '1' "
                                                "'Select_3'\n> ET 1 1000\n> CE '1' 'Confirm'\n");
    EXPECT_FALSE(exists(site + ".lock")) << "the lock outlived the session";
}

TEST_F(HostCli, ASecondSessionOnASiteIsRefusedAndNoRenameIsLost) {
    const std::string rename = "press 1 Name_Editor\npress 2 SrcName index=%d\nkey backspace\ntype %s\nkey return\n"
                               "press 2 Update\n";
    auto renameLines = [&](int index, const char* text) {
        char lines[256];
        std::snprintf(lines, sizeof lines, rename.c_str(), index, text);
        return std::string(lines);
    };
    write("second.txt", renameLines(6, "Z"));
    HostProcess first({"--site", site}, messages);
    ASSERT_TRUE(eventually([&] { return exists(site + ".lock"); })) << readFile(messages);
    const std::string secondMessages = folder + "/second-messages";
    EXPECT_EQ(run({"--site", site, folder + "/second.txt"}, secondMessages), 1);
    EXPECT_NE(readFile(secondMessages).find("in use by another vrel-host session (process " +
                                            std::to_string(first.pid()) + " on "),
              std::string::npos)
        << readFile(secondMessages);
    first.say(renameLines(5, "Y"));
    first.closeInput();
    const int status = first.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << readFile(messages);
    EXPECT_FALSE(exists(site + ".lock"));
    // Now the site is free, and the second session's rename joins the first's.
    EXPECT_EQ(run({"--site", site, folder + "/second.txt"}, secondMessages), 0) << readFile(secondMessages);
    const std::string saved = readFile(site);
    EXPECT_NE(saved.find("\"CAMY\""), std::string::npos);
    EXPECT_NE(saved.find("\"CAMZ\""), std::string::npos);
}

// A session killed outright leaves its lock; the next one says so and how to
// free the site, rather than taking a lock another session may still hold.
TEST_F(HostCli, ALockLeftByAKilledSessionIsNamedWithTheWayOut) {
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::ofstream(site + ".lock") << "pid " << gone << "\nhost " << host << "\n";
    write("show.txt", "show 1\n");
    EXPECT_EQ(run({"--site", site, folder + "/show.txt"}, messages), 1);
    EXPECT_NE(readFile(messages).find("left by process " + std::to_string(gone) + " on " + host +
                                      ", which no longer runs; remove " + site + ".lock"),
              std::string::npos)
        << readFile(messages);
    ASSERT_EQ(unlink((site + ".lock").c_str()), 0);
    EXPECT_EQ(run({"--site", site, folder + "/show.txt"}, messages), 0) << readFile(messages);
}

TEST_F(HostCli, ANameThatIsNotUtf8IsSavedAndTheEditorGoesOn) {
    write("latin1.txt", "press 1 Name_Editor\npress 2 SrcName index=5\ntype \xe9\nkey return\npress 2 Update\nshow 2\n");
    const std::string transcript = folder + "/run.log";
    EXPECT_EQ(run({"--site", site, "--transcript", transcript, folder + "/latin1.txt"}, messages), 0)
        << readFile(messages);
    EXPECT_NE(readFile(site).find(R"("bytes": "43414d35e9")"), std::string::npos) << "CAM5 and the byte 0xe9";
    // The editor is open again for the next name.
    const std::string text = readFile(transcript);
    const std::size_t row = text.find("|   SrcName ");
    ASSERT_NE(row, std::string::npos);
    EXPECT_NE(text.substr(row, text.find('\n', row) - row).find(" enabled  visible"), std::string::npos)
        << text.substr(row, 80);
}

TEST_F(HostCli, AFileNamedTwiceOrAnExistingSiteIsNotOverwritten) {
    write("s.txt", "show 1\n");
    ASSERT_EQ(link(site.c_str(), (folder + "/linked.json").c_str()), 0);
    const std::string before = readFile(site);
    const std::vector<std::vector<std::string>> mistakes = {
        {"--transcript", folder + "/s.txt", folder + "/s.txt"},
        {"--site", site, "--transcript", folder + "/../" + folder.substr(folder.rfind('/') + 1) + "/site.json"},
        {"--site", site, "--transcript", folder + "/linked.json"},
        {"--write-site", site},
    };
    for (const std::vector<std::string>& args : mistakes) {
        EXPECT_EQ(run(args, messages), 1) << args[1] << " " << args.back();
        EXPECT_EQ(readFile(folder + "/s.txt"), "show 1\n");
        EXPECT_EQ(readFile(site), before) << readFile(messages);
    }
    EXPECT_NE(readFile(messages).find("--force"), std::string::npos);
    write("renamed.txt", "press 1 Name_Editor\npress 2 SrcName index=5\ntype Q\nkey return\npress 2 Update\n");
    ASSERT_EQ(run({"--site", site, folder + "/renamed.txt"}, messages), 0) << readFile(messages);
    ASSERT_NE(readFile(site), before);
    EXPECT_EQ(run({"--write-site", site, "--force"}, messages), 0) << readFile(messages);
    EXPECT_EQ(readFile(site), before);
}

}  // namespace

#ifdef VREL_HOST_LINE_EDITING
namespace {

// Reads what vrel-host writes to its terminal until `text` has come (true)
// or ten seconds have passed (false).
bool readUntil(int terminal, std::string& seen, const std::string& text, std::size_t from = 0) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (seen.find(text, from) == std::string::npos) {
        if (std::chrono::steady_clock::now() > until) return false;
        pollfd ready{terminal, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n <= 0) return false;
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool typeIn(int terminal, const std::string& keys) {
    return write(terminal, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

// On a terminal: the start-up is one line before the first prompt, Tab
// completes a verb and a control, the up arrow brings the last line back.
TEST(HostPrompt, EditsCompletesAndRemembersOnATerminal) {
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(VREL_HOST_FOLDER) != 0) _exit(126);
        setenv("TERM", "xterm", 1);
        execl(VREL_HOST, VREL_HOST, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    ASSERT_TRUE(readUntil(terminal, seen, "vrel> ")) << seen;
    EXPECT_NE(seen.find("* the script's start-up: "), std::string::npos) << seen;
    EXPECT_EQ(seen.find("> PI "), std::string::npos) << "the start-up is folded before the first prompt";

    std::size_t mark = seen.size();
    const std::string press = "< button panel 1 control Select_3 event";
    ASSERT_TRUE(typeIn(terminal, "pre\t1 Sel\t3\r"));
    EXPECT_TRUE(readUntil(terminal, seen, press, mark)) << seen.substr(mark);
    ASSERT_TRUE(readUntil(terminal, seen, "vrel> ", seen.find(press, mark)));
    mark = seen.size();
    ASSERT_TRUE(typeIn(terminal, "\033[A\r"));
    EXPECT_TRUE(readUntil(terminal, seen, press, mark)) << "the last line, from the history:\n" << seen.substr(mark);
    ASSERT_TRUE(readUntil(terminal, seen, "vrel> ", mark + 1));
    ASSERT_TRUE(typeIn(terminal, "quit\r"));
    int status = 0;
    waitpid(pid, &status, 0);
    close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(count(seen, press), 2u) << seen;
}
#else
TEST(HostPrompt, EditsCompletesAndRemembersOnATerminal) { GTEST_SKIP() << "this build's prompt has no line editing"; }
#endif
