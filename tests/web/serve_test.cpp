// vrel-host --serve as a program: the address is taken (or refused with its
// reason) before the script starts; Ctrl-C, SIGTERM and SIGHUP end it within
// two seconds whatever its clients do, with the site's lock removed and the
// transcript complete; an address beyond this machine prints a warning and
// an address with a token, and nothing answers without it.
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "kelvane_profile.h"
#include "raw_http.h"
#include "temp_folder.h"

namespace vrelhost::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// vrel-host run with its output in pipes; killed at the end if it still runs.
class Program {
public:
    explicit Program(std::vector<std::string> args) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            std::vector<char*> argv;
            args.insert(args.begin(), VREL_HOST);
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(VREL_HOST, argv.data());
            _exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Program() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }

    pid_t pid() const { return pid_; }
    // What it printed on standard output until `pattern` matched or `timeout` passed.
    std::string outputUntil(const std::regex& pattern, std::chrono::milliseconds timeout) {
        const auto until = Clock::now() + timeout;
        while (!std::regex_search(out_text_, pattern) && Clock::now() < until)
            if (!readInto(out_, out_text_, until)) break;
        return out_text_;
    }
    // The exit status when it ends within `timeout`; reads its output meanwhile.
    std::optional<int> exitWithin(std::chrono::milliseconds timeout) {
        const auto until = Clock::now() + timeout;
        while (Clock::now() < until) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                drain(out_, out_text_);
                drain(err_, err_text_);
                return status_;
            }
            readInto(err_, err_text_, std::min(until, Clock::now() + 20ms));
        }
        return std::nullopt;
    }
    const std::string& errors() const { return err_text_; }

private:
    static bool readInto(int fd, std::string& text, Clock::time_point until) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (poll(&p, 1, static_cast<int>(std::max<long long>(left, 0))) <= 0) return false;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        text.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    static void drain(int fd, std::string& text) {
        while (readInto(fd, text, Clock::now())) {
        }
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    std::string out_text_, err_text_;
    std::optional<int> status_;
};

const std::regex servedAt(R"(the panels are at http://[^:]+:(\d+)/)");

int portIn(const std::string& output) {
    std::smatch m;
    return std::regex_search(output, m, servedAt) ? std::stoi(m[1]) : 0;
}

void writeSite(const std::string& path) { std::ofstream(path) << kelvaneProfile().defaultSite().dump(2) << "\n"; }

TEST(Serve, AnAddressThatCannotBeHadIsSaidBeforeTheScriptStarts) {
    TempFolder folder("vrel-serve-test");
    // A port another program listens on.
    const int busy = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(busy, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(listen(busy, 1), 0);
    socklen_t length = sizeof where;
    getsockname(busy, reinterpret_cast<sockaddr*>(&where), &length);
    const std::string port = std::to_string(ntohs(where.sin_port));

    struct Case {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{"--port", port}, "is in use"},
        {{"--listen", "192.0.2.1", "--port", "0"}, "is not an address of this machine"},
        {{"--listen", "panels.example", "--port", "0"}, "not an IP address"},
    };
    for (Case& c : cases) {
        const std::string transcript = folder.path() + "/run.log";
        c.args.insert(c.args.begin(), {"--serve", "--transcript", transcript});
        Program program(c.args);
        const std::optional<int> status = program.exitWithin(10s);
        ASSERT_TRUE(status) << c.reason;
        EXPECT_EQ(*status, 1) << c.reason;
        EXPECT_NE(program.errors().find("cannot listen on"), std::string::npos) << program.errors();
        EXPECT_NE(program.errors().find(c.reason), std::string::npos) << program.errors();
        EXPECT_FALSE(std::filesystem::exists(transcript)) << "the script started: " << c.reason;
    }
    close(busy);
}

TEST(Serve, EndingSignalsStopItWithinTwoSecondsWhateverTheClientsDo) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        TempFolder folder("vrel-serve-test");
        const std::string site = folder.path() + "/site.json", transcript = folder.path() + "/run.log";
        writeSite(site);
        Program program({"--serve", "--port", "0", "--site", site, "--transcript", transcript});
        const int port = portIn(program.outputUntil(servedAt, 20s));
        ASSERT_GT(port, 0) << program.errors();
        std::vector<RawConnection> clients;
        for (int i = 0; i < 5; ++i) {
            clients.emplace_back(port);
            clients.back().send("GET / HTTP/1.1\r\nX-Slow: ");  // never finished
            clients.emplace_back(port);
            int small = 1024;  // an event stream that never reads
            setsockopt(clients.back().fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
            clients.back().send(requestText("GET", "/api/events", port));
            clients.emplace_back(port);
            clients.back().send(requestText("POST", "/api/press", port,
                                            "Content-Type: application/json\r\nContent-Length: 50\r\n") + "{");
        }
        auto pressed = roundTrip(port, requestText("POST", "/api/press", port, "Content-Type: application/json\r\n",
                                                  R"({"panel":"1","control":"Select_3"})"));
        ASSERT_TRUE(pressed);
        EXPECT_EQ(pressed->status, 200);
        ASSERT_TRUE(std::filesystem::exists(site + ".lock"));
        std::this_thread::sleep_for(200ms);

        const auto sent = Clock::now();
        kill(program.pid(), signal);
        const std::optional<int> status = program.exitWithin(2s);
        ASSERT_TRUE(status) << "still running 2 s after the signal";
        RecordProperty(std::string("stop_ms_") + strsignal(signal),
                       std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count()));
        EXPECT_EQ(*status, 0) << program.errors();
        EXPECT_FALSE(std::filesystem::exists(site + ".lock")) << "the lock stayed";
        std::ifstream in(transcript);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("# 1: press 1 Select_3\n"), std::string::npos);
        EXPECT_EQ(text.substr(text.size() - 5), "> AS\n") << "the transcript is not complete";
    }
}

// In a network of its own (only its loopback, up), so listening on every
// interface reaches nothing beyond this test. Writes what it saw to `report`.
void remoteListenInOwnNetwork(int report) {
    auto say = [report](const std::string& text) { (void)!write(report, text.data(), text.size()); };
    if (unshare(CLONE_NEWNET) != 0) {
        say("skip: no network namespace here (" + std::string(strerror(errno)) + ")");
        return;
    }
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq lo{};
    std::strcpy(lo.ifr_name, "lo");
    ioctl(s, SIOCGIFFLAGS, &lo);
    lo.ifr_flags = static_cast<short>(lo.ifr_flags | IFF_UP);
    if (ioctl(s, SIOCSIFFLAGS, &lo) != 0) {
        say("skip: the loopback of the new network cannot be brought up");
        return;
    }
    close(s);
    Program program({"--serve", "--listen", "0.0.0.0", "--port", "0"});
    const std::string out = program.outputUntil(std::regex(R"(token=[0-9a-f]+)"), 20s);
    std::smatch m;
    const std::regex url(R"(http://[^:/]+:(\d+)/\?token=([0-9a-f]+))");
    if (!std::regex_search(out, m, url)) {
        say("no address with a token in: " + out);
        return;
    }
    const int port = std::stoi(m[1]);
    const std::string token = m[2];
    auto without = roundTrip(port, requestText("GET", "/api/state", port));
    auto with = roundTrip(port, requestText("GET", "/?token=" + token, port));
    auto wrong = roundTrip(port, requestText("GET", "/?token=" + std::string(token.size(), '0'), port));
    kill(program.pid(), SIGTERM);
    const std::optional<int> status = program.exitWithin(5s);
    say("token " + std::to_string(token.size()) + " without " + std::to_string(without ? without->status : 0) +
        " with " + std::to_string(with ? with->status : 0) + " wrong " + std::to_string(wrong ? wrong->status : 0) +
        " exit " + std::to_string(status ? *status : -1) + "\n" + program.errors());
}

TEST(Serve, AnAddressBeyondThisMachineWarnsAndTakesAToken) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        remoteListenInOwnNetwork(pipeEnds[1]);
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    if (report.compare(0, 5, "skip:") == 0) GTEST_SKIP() << report;
    EXPECT_EQ(report.substr(0, report.find('\n')), "token 64 without 401 with 200 wrong 401 exit 0") << report;
    EXPECT_NE(report.find("warning: listening on 0.0.0.0, not on this machine only: anyone who can reach it"),
              std::string::npos)
        << report;
}

}  // namespace
}  // namespace vrelhost::test
