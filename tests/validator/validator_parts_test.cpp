// The validator's parts on their own: how a case's process ending is told
// (passed, failed, crashed, hung, left early, failed at exit), how a case's
// findings are counted and cut short, and which names a library exports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "case_report.h"
#include "exported_symbols.h"
#include "isolated_case.h"

namespace validator {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(IsolatedCase, TellsHowTheCasesProcessEnded) {
    CaseOutcome passed = runIsolated([](CaseReport& report) { report.warning("worth a look"); }, 10);
    EXPECT_TRUE(passed.passed);
    EXPECT_THAT(passed.messages, IsEmpty());
    EXPECT_THAT(passed.warnings, ElementsAre("worth a look"));
    EXPECT_EQ(passed.errorTail, "");

    CaseOutcome failed = runIsolated(
        [](CaseReport& report) {
            std::fprintf(stderr, "a line of the script's own\n");
            report.fail("the reply was kept");
            report.fail("the reply was kept");
            report.warning("a warning of a failed case");
        },
        10);
    EXPECT_FALSE(failed.passed);
    EXPECT_THAT(failed.messages, ElementsAre("the reply was kept (2 times)"));
    EXPECT_THAT(failed.warnings, ElementsAre("a warning of a failed case"));
    EXPECT_EQ(failed.errorTail, "a line of the script's own\n");

    // A sanitizer build catches SIGSEGV itself and exits 1; the default action
    // is what a plain script's crash looks like to the validator.
    CaseOutcome crashed = runIsolated(
        [](CaseReport&) {
            std::signal(SIGSEGV, SIG_DFL);
            std::raise(SIGSEGV);
        },
        10);
    EXPECT_FALSE(crashed.passed);
    EXPECT_THAT(crashed.messages, ElementsAre(HasSubstr("crashed: signal " + std::to_string(SIGSEGV))));

    const auto started = std::chrono::steady_clock::now();
    CaseOutcome hung = runIsolated(
        [](CaseReport&) {
            for (;;) pause();
        },
        1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8)) << "the limit was not kept";
    EXPECT_FALSE(hung.passed);
    EXPECT_THAT(hung.messages, ElementsAre("timed out after 1 s"));

    CaseOutcome left = runIsolated([](CaseReport&) { _exit(4); }, 10);
    EXPECT_FALSE(left.passed);
    EXPECT_THAT(left.messages, ElementsAre(HasSubstr("ended with status 4 before its checks finished")));

    // A leak checker reports at exit, after the checks passed.
    CaseOutcome atExit = runIsolated([](CaseReport&) { std::atexit([] { _exit(7); }); }, 10);
    EXPECT_FALSE(atExit.passed);
    EXPECT_THAT(atExit.messages, ElementsAre(HasSubstr("ended with status 7 after its checks passed")));
}

// A sanitizer's report is shown from its first line, where it names the fault.
TEST(IsolatedCase, ShowsASanitizerReportFromItsStart) {
    CaseOutcome outcome = runIsolated(
        [](CaseReport& report) {
            for (int i = 0; i < 20; ++i) std::fprintf(stderr, "noise %d\n", i);
            std::fprintf(stderr, "==1==ERROR: AddressSanitizer: heap-buffer-overflow\n#0 in notify\n");
            for (int i = 0; i < 20; ++i) std::fprintf(stderr, "frame %d\n", i);
            report.fail("read past the record");
        },
        10);
    EXPECT_EQ(outcome.errorTail.rfind("==1==ERROR: AddressSanitizer: heap-buffer-overflow\n#0 in notify\nframe 0\n", 0),
              0u)
        << outcome.errorTail;
    EXPECT_EQ(std::count(outcome.errorTail.begin(), outcome.errorTail.end(), '\n'), 10);
}

TEST(CaseReport, CountsEveryFailureAndListsTheFirstFewOnce) {
    CaseReport report;
    EXPECT_FALSE(report.failed());
    report.warning("w");
    EXPECT_FALSE(report.failed()) << "a warning never fails a case";
    for (int i = 0; i < 14; ++i) report.fail("fault " + std::to_string(i));
    report.fail("fault 0");
    report.fail("fault 13");
    EXPECT_TRUE(report.failed());
    const std::vector<std::string> lines = report.lines();
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines.front(), "fault 0 (2 times)");
    EXPECT_EQ(lines[11], "fault 11");
    EXPECT_EQ(lines.back(), "... and 3 more");
    for (const char* w : {"a", "b", "c", "d"}) report.warning(w);
    EXPECT_THAT(report.warningLines(), ElementsAre("w", "a", "b", "... and 2 more"));
}

TEST(ExportedSymbols, NamesWhatALibraryExportsAndRefusesWhatIsNone) {
    std::string error;
    const auto kelvane = exportedSymbols(KELVANE_LIBRARY, error);
    ASSERT_TRUE(kelvane) << error;
    EXPECT_THAT(*kelvane, ElementsAre("load_vrel_client_script"));
    const auto two = exportedSymbols(FIXTURE_two_exports, error);
    ASSERT_TRUE(two) << error;
    EXPECT_THAT(*two, ::testing::UnorderedElementsAre("load_vrel_client_script", "mini_script_version"));
    EXPECT_FALSE(exportedSymbols(PROJECT_SOURCE_DIR "/README.md", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(exportedSymbols("/nonexistent/lib.so", error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace validator
