#include "isolated_case.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "text_lines.h"

namespace validator {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string readAll(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
    return text;
}

// The lines that say something: an empty one carries nothing.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out = vrelhost::linesOf(text);
    out.erase(std::remove(out.begin(), out.end(), std::string()), out.end());
    return out;
}

// What to show of the child's standard error: a sanitizer's report from its
// first line (where it names the fault and the stack), otherwise the last lines.
std::string telling(const std::string& text, std::size_t count) {
    const std::vector<std::string> all = lines(text);
    std::size_t from = all.size() > count ? all.size() - count : 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string& line = all[i];
        if (line.find("ERROR: ") != std::string::npos || line.find("runtime error:") != std::string::npos) {
            from = i;
            break;
        }
    }
    std::string out;
    for (std::size_t i = from; i < all.size() && i < from + count; ++i) out += all[i] + "\n";
    return out;
}

// Marks a warning's line in the verdict file.
constexpr char warningMark[] = "! ";

[[noreturn]] void runChild(const std::function<void(CaseReport&)>& body, unsigned timeLimitSeconds,
                           std::FILE* verdict, std::FILE* errors) {
    dup2(fileno(errors), STDERR_FILENO);
    std::signal(SIGALRM, SIG_DFL);
    alarm(timeLimitSeconds);
    CaseReport report;
    body(report);
    for (const std::string& line : report.warningLines()) std::fprintf(verdict, "%s%s\n", warningMark, line.c_str());
    for (const std::string& line : report.lines()) std::fprintf(verdict, "%s\n", line.c_str());
    std::fprintf(verdict, report.failed() ? "FAILED\n" : "PASSED\n");
    std::fflush(verdict);
    std::exit(report.failed() ? 1 : 0);  // exit, so that a leak checker runs
}

}  // namespace

CaseOutcome runIsolated(const std::function<void(CaseReport&)>& body, unsigned timeLimitSeconds) {
    CaseOutcome outcome;
    File verdict(std::tmpfile());
    File errors(std::tmpfile());
    if (!verdict || !errors) {
        outcome.messages.push_back("cannot create the case's temporary files");
        return outcome;
    }
    std::fflush(nullptr);  // nothing buffered may be written twice
    const pid_t child = fork();
    if (child < 0) {
        outcome.messages.push_back(std::string("cannot start the case's process: ") + std::strerror(errno));
        return outcome;
    }
    if (child == 0) runChild(body, timeLimitSeconds, verdict.get(), errors.get());

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::vector<std::string> found = lines(readAll(verdict.get()));
    const bool finished = !found.empty() && (found.back() == "PASSED" || found.back() == "FAILED");
    const bool casePassed = finished && found.back() == "PASSED";
    if (finished) found.pop_back();
    const auto isWarning = [](const std::string& line) { return line.rfind(warningMark, 0) == 0; };
    for (const std::string& line : found)
        if (isWarning(line)) outcome.warnings.push_back(line.substr(sizeof warningMark - 1));
    found.erase(std::remove_if(found.begin(), found.end(), isWarning), found.end());

    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        found.push_back(signal == SIGALRM ? "timed out after " + std::to_string(timeLimitSeconds) + " s"
                                          : "crashed: signal " + std::to_string(signal) + " (" +
                                                strsignal(signal) + ")");
    } else if (!finished) {
        found.push_back("the case's process ended with status " + std::to_string(WEXITSTATUS(status)) +
                        " before its checks finished (the script exited, or a sanitizer reported)");
    } else if (casePassed && WEXITSTATUS(status) != 0) {
        found.push_back("the case's process ended with status " + std::to_string(WEXITSTATUS(status)) +
                        " after its checks passed (a sanitizer report at exit, such as a leak)");
    }
    outcome.passed = casePassed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    outcome.messages = found;
    if (!outcome.passed) outcome.errorTail = telling(readAll(errors.get()), 10);
    return outcome;
}

}  // namespace validator
