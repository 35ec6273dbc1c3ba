// `vrel-host --validate`, run as a user runs it: on the component, which must
// pass every case, and on fixture libraries that each break one rule, which
// must fail and name the case that caught them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

struct ValidatorRun {
    int status = -1;
    std::string output;
    std::map<std::string, std::string> results;  // case name -> "pass" or "FAIL"
};

// Runs the validator and reads its table: every line that ends in " pass" or " FAIL".
ValidatorRun validate(const std::string& library, const std::string& extra = "--seed 7") {
    ValidatorRun run;
    const std::string command =
        std::string(VREL_HOST_LAUNCHER) + " " + VREL_HOST + " --validate '" + library + "' " + extra + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[4096];
    std::size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, n);
    const int wait = pclose(pipe);
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;

    std::size_t start = 0;
    while (start < run.output.size()) {
        std::size_t end = run.output.find('\n', start);
        if (end == std::string::npos) end = run.output.size();
        std::string line = run.output.substr(start, end - start);
        start = end + 1;
        for (const char* verdict : {"pass", "FAIL"}) {
            const std::string tail = std::string(" ") + verdict;
            if (line.size() > tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
                const std::size_t nameEnd = line.find_last_not_of(' ', line.size() - tail.size());
                run.results[line.substr(0, nameEnd + 1)] = verdict;
            }
        }
    }
    return run;
}

TEST(Validator, PassesTheComponentOnEveryCase) {
    const ValidatorRun run = validate(KELVANE_LIBRARY);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.results.size(), 9u) << run.output;
    for (const auto& [name, verdict] : run.results) EXPECT_EQ(verdict, "pass") << name << "\n" << run.output;
    // The replies with apostrophes, pasted into TP texts, are flagged without failing a case.
    EXPECT_THAT(run.output, testing::HasSubstr("\n! ambiguous command: its text field holds an apostrophe"));
}

// A correct script that is not the panel passes too; the storm's seed is
// printed, and each repeat takes the next one.
TEST(Validator, PassesACorrectScriptThatIsNotThePanelWithEverySeed) {
    const ValidatorRun run = validate(FIXTURE_correct_script, "--seed 41 --repeat 2");
    EXPECT_EQ(run.status, 0) << run.output;
    for (const auto& [name, verdict] : run.results) EXPECT_EQ(verdict, "pass") << name << "\n" << run.output;
    EXPECT_THAT(run.output, testing::HasSubstr("storm seed 41 (replay with --seed 41)"));
    EXPECT_EQ(run.results.count("notification storm, seed 41"), 1u) << run.output;
    EXPECT_EQ(run.results.count("notification storm, seed 42"), 1u) << run.output;
}

// A file that is there but no library fails the loading case (one that is
// not there is a mistake on the command line, in the host's input suite).
TEST(Validator, FailsAFileThatIsNoLibrary) {
    char path[] = "/tmp/vrel-not-a-library-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "not a library\n", 14), 14);
    close(fd);
    const ValidatorRun run = validate(path);
    unlink(path);
    EXPECT_EQ(run.status, 3) << run.output;
    ASSERT_EQ(run.results.count("loads with RTLD_NOW | RTLD_LOCAL, one export"), 1u) << run.output;
    EXPECT_EQ(run.results.at("loads with RTLD_NOW | RTLD_LOCAL, one export"), "FAIL") << run.output;
}

struct Faulty {
    const char* name;
    const char* library;
    const char* failingCase;
    const char* detail;  // a piece of the reason the validator gives
};

void PrintTo(const Faulty& f, std::ostream* os) { *os << f.name; }

class FaultyLibrary : public testing::TestWithParam<Faulty> {};

TEST_P(FaultyLibrary, FailsTheCaseThatCatchesIt) {
    const Faulty& f = GetParam();
    const ValidatorRun run = validate(f.library);
    EXPECT_EQ(run.status, 3) << run.output;
    ASSERT_EQ(run.results.count(f.failingCase), 1u) << run.output;
    EXPECT_EQ(run.results.at(f.failingCase), "FAIL") << run.output;
    EXPECT_THAT(run.output, testing::HasSubstr(f.detail));
}

const Faulty faultyLibraries[] = {
        Faulty{"keeps_reply", FIXTURE_keeps_reply, "create and destroy: replies back, AS last", "was not handed back before"},
        Faulty{"hands_back_twice", FIXTURE_hands_back_twice, "create and destroy: replies back, AS last", "a reply was handed back twice"},
        Faulty{"text_after_as", FIXTURE_text_after_as, "create and destroy: replies back, AS last", "after the closing AS"},
        Faulty{"no_closing_as", FIXTURE_no_closing_as, "create and destroy: replies back, AS last", "without sending AS"},
        Faulty{"crashes_on_button", FIXTURE_crashes_on_button, "create and destroy without a host", "create and destroy without a host:"},
        Faulty{"keeps_answer", FIXTURE_keeps_answer, "parent answers: NUL-terminated, taken back", "parent answers"},
        Faulty{"answers_unknown_kind", FIXTURE_answers_unknown_kind, "kinds 0, 8 and -1 answered with null", "answered kind 8"},
        Faulty{"frees_any_hand_back", FIXTURE_frees_any_hand_back, "kind 5: null and foreign pointers", "kind 5: null and foreign"},
        Faulty{"malformed_command", FIXTURE_malformed_command, "repeated create, notify, destroy cycles", "unknown command code"},
        Faulty{"two_exports", FIXTURE_two_exports, "loads with RTLD_NOW | RTLD_LOCAL, one export", "mini_script_version"}
#ifdef KELVANE_SANITIZE
        ,
        Faulty{"unterminated_answer", FIXTURE_unterminated_answer, "parent answers: NUL-terminated, taken back", "heap-buffer-overflow"}
#endif
};

INSTANTIATE_TEST_SUITE_P(Fixtures, FaultyLibrary, testing::ValuesIn(faultyLibraries),
                         [](const testing::TestParamInfo<Faulty>& info) { return std::string(info.param.name); });

}  // namespace
