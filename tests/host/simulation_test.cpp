// The simulation object as a view drives it: one operator line at a time,
// the transcript streamed line by line, the panels and devices read back,
// and the exit status from finish(). Also that the simulator's page lists
// every verb, and nothing else, among its operator lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "line_reader.h"
#include "tests/host/temp_site.h"

namespace vrelhost {
namespace {

TEST(Simulation, RunsOperatorLinesAsAScenarioDoes) {
    KelvaneSession session;
    std::unique_ptr<Simulation>& simulation = session.simulation;
    const std::vector<std::string>& lines = session.lines;
    ASSERT_TRUE(simulation) << session.error;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), std::string("< create \"") + VREL_HOST_PANELS + "\"");

    const std::size_t before = lines.size();
    Simulation::LineResult result = simulation->runLine("press 1 Confirm");  // disabled until a set is chosen
    EXPECT_EQ(result.outcome, Simulation::Outcome::refused);
    EXPECT_EQ(result.message, "Confirm on panel 1 is disabled");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + before, lines.end()),
              (std::vector<std::string>{"# 1: press 1 Confirm",
                                        "! refused: Confirm on panel 1 is disabled, so it sends no event"}));
    EXPECT_EQ(simulation->runLine("# a comment").outcome, Simulation::Outcome::done);
    result = simulation->runLine("press 1 Select_3");
    EXPECT_EQ(result.outcome, Simulation::Outcome::done);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "# 3: press 1 Select_3"), lines.end())
        << "numbered as line 3 of a scenario";
    EXPECT_TRUE(simulation->panels().at("1").controls.size() > 0);
    bool confirmEnabled = false;
    for (const Control& c : simulation->panels().at("1").controls)
        if (c.name == "Confirm") confirmEnabled = c.enabled();
    EXPECT_TRUE(confirmEnabled);

    // Operator text quoted back stays one short line, whatever was pasted.
    result = simulation->runLine(std::string("press 1 A\0B", 11) + std::string(10000000, 'x'));
    EXPECT_EQ(result.outcome, Simulation::Outcome::error);
    EXPECT_LT(result.message.size(), 120u);
    EXPECT_EQ(result.message.find('\0'), std::string::npos);
    EXPECT_NE(result.message.find("A\\x00B"), std::string::npos) << result.message;
    for (const char* line : {"quit now", "help me"})
        EXPECT_EQ(simulation->runLine(line).outcome, Simulation::Outcome::error) << line;

    result = simulation->runLine("frobnicate");
    EXPECT_EQ(result.outcome, Simulation::Outcome::error);
    EXPECT_EQ(result.message, "unknown line \"frobnicate\" (try help)");
    simulation->runLine("wait 2500");
    EXPECT_EQ(simulation->clock(), 2500);
    EXPECT_EQ(simulation->devices().size(), 3u);

    EXPECT_EQ(simulation->finish(), 0) << session.errors.str();
    EXPECT_EQ(lines.back(), "> AS");
    EXPECT_EQ(session.transcript.str().size(), [&] {
        std::size_t n = 0;
        for (const std::string& l : lines) n += l.size() + 1;
        return n;
    }()) << "the listener saw every line the transcript holds";
    EXPECT_FALSE(simulation->alive());
}

// `exit` is `quit` by another name: it ends the lines, so nothing after it
// runs, and takes nothing after it either.
TEST(Simulation, ExitEndsTheLinesAsQuitDoes) {
    for (const char* verb : {"exit", "quit"}) {
        KelvaneSession session;
        auto& [transcript, errors, lines, error, simulation] = session;
        ASSERT_TRUE(simulation) << error;
        EXPECT_EQ(simulation->runLine(std::string(verb) + " now").outcome, Simulation::Outcome::error) << verb;
        std::istringstream input(std::string(verb) + "\npress 1 Select_3\n");
        EXPECT_TRUE(simulation->runLines(input, false, "input"));
        EXPECT_EQ(transcript.str().find("press 1 Select_3"), std::string::npos) << "a line after " << verb << " ran";
        EXPECT_NE(transcript.str().find(std::string("# 1: ") + verb + " now\n"), std::string::npos);
        EXPECT_EQ(simulation->finish(), 0) << "a line given alone is the caller's to judge";
    }
}

// A line that never ends (standard input from /dev/zero) is a bad line, said
// with its number, not an endless read; a last line without its line end runs.
TEST(Simulation, ALineFromAStreamIsBounded) {
    KelvaneSession session;
    auto& [transcript, errors, lines, error, simulation] = session;
    ASSERT_TRUE(simulation) << error;
    std::istringstream exact("show 1\n" + std::string(longestLine, ' ') + "\nshow 2");
    EXPECT_TRUE(simulation->runLines(exact, false, "input")) << errors.str();
    EXPECT_NE(transcript.str().find("# 3: show 2\n"), std::string::npos) << "the last line, without its line end";
    std::istringstream endless("show 1\n" + std::string(longestLine + 1, 'x'));
    EXPECT_FALSE(simulation->runLines(endless, false, "input"));
    EXPECT_NE(errors.str().find("\ninput:5: a line longer than 1 MiB, more than any operator line; is this the right "
                                "input?\n"),
              std::string::npos)
        << errors.str();
    EXPECT_EQ(simulation->finish(), 1);
}

// A line refused before it is a line takes no line number; a line that is
// a line and is wrong is followed by its ! line (the browser view's actions
// are such lines); lines left after every position quit are not run, said,
// and fail the session.
TEST(Simulation, RefusedLinesAreToldAndLinesAfterTheLastPositionAreNotRun) {
    KelvaneSession session([](SimulationSettings& s) { s.instances = 2; });
    auto& [transcript, errors, lines, error, simulation] = session;
    ASSERT_TRUE(simulation) << error;
    const Simulation::LineResult far = simulation->runLine("@99999999999999999999 show 1");
    EXPECT_EQ(far.outcome, Simulation::Outcome::error);
    EXPECT_NE(far.message.find("@99999999999999999999 names no position"), std::string::npos) << far.message;
    EXPECT_EQ(simulation->runLine("press 1 quit").outcome, Simulation::Outcome::error);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"[1] # 1: press 1 quit", "[1] ! panel 1 has no control \"quit\""}));
    std::istringstream rest("@2 quit\n@1 quit\n\n# a comment\nshow 1\nshow 2\n");
    EXPECT_FALSE(simulation->runLines(rest, false, "input"));
    EXPECT_NE(
        errors.str().find("input:3: every position has quit, so the 2 line(s) after this one are not run"),
        std::string::npos)
        << errors.str();
    EXPECT_EQ(simulation->finish(), 1);
}

// The first transcript line that cannot be written ends the session there:
// said at once, no further line runs (a rename among them), status 1.
TEST(Simulation, ATranscriptThatFailsEndsTheSessionAtOnce) {
    TempSite files("vrel-sim-test");
    std::ostringstream console;
    KelvaneSession session([&](SimulationSettings& s) {
        s.siteFile = files.path;
        s.console = &console;
        s.transcriptStream = nullptr;
    });
    auto& [transcript, errors, lines, error, simulation] = session;
    ASSERT_TRUE(simulation) << error;
    ASSERT_EQ(simulation->runLine("press 1 Name_Editor").outcome, Simulation::Outcome::done);
    console.setstate(std::ios::badbit);
    const std::string before = contents(files.path);
    std::istringstream rename("press 2 SrcName index=5\nkey backspace\ntype Q\nkey return\npress 2 Update\n");
    simulation->runLines(rename, false, "input");
    EXPECT_FALSE(simulation->alive());
    EXPECT_EQ(simulation->runLine("show 1").outcome, Simulation::Outcome::error);
    EXPECT_EQ(contents(files.path), before) << "a rename ran after the transcript failed";
    EXPECT_NE(errors.str().find("cannot write the console (standard output)"), std::string::npos)
        << errors.str();
    EXPECT_NE(errors.str().find("the session ends here, and the lines after it are not run"),
              std::string::npos)
        << errors.str();
    EXPECT_EQ(simulation->finish(), 1);
}

// A site with two hard links would be split by the first save (a rename
// keeps one name): refused at start, saying a symbolic link works.
TEST(Simulation, ASiteWithTwoHardLinksIsRefused) {
    TempSite files("vrel-sim-test");
    ASSERT_EQ(::link(files.path.c_str(), files.at("other.json").c_str()), 0);
    KelvaneSession session([&](SimulationSettings& s) { s.siteFile = files.at("other.json"); });
    EXPECT_FALSE(session.simulation);
    EXPECT_NE(session.error.find("it has 2 hard links"), std::string::npos) << session.error;
    EXPECT_NE(session.error.find("symbolic links"), std::string::npos) << session.error;
    EXPECT_NE(::access(files.at("other.json.lock").c_str(), F_OK), 0) << "a lock was left";
}

// The rows of the operator-line table in the simulator's page: the text
// between the first pair of backquotes of each row under "## Operator lines".
std::vector<std::string> documentedOperatorLines() {
    std::ifstream page(std::string(PROJECT_SOURCE_DIR) + "/docs/simulator.md");
    std::vector<std::string> rows;
    bool inSection = false;
    for (std::string line; std::getline(page, line);) {
        if (line.rfind("## ", 0) == 0) inSection = line == "## Operator lines";
        if (!inSection || line.rfind("| `", 0) != 0) continue;
        const std::size_t end = line.find('`', 3);
        if (end != std::string::npos) rows.push_back(line.substr(3, end - 3));
    }
    return rows;
}

// Every verb of the table is in help and in the simulator page's list of
// operator lines, with its arguments, and the page lists no verb that is gone.
TEST(Simulation, HelpAndTheSimulatorPageListEveryVerb) {
    const std::vector<std::string> rows = documentedOperatorLines();
    ASSERT_FALSE(rows.empty()) << "no operator lines found in docs/simulator.md";
    std::vector<std::string> verbs;
    for (const ScenarioRunner::Verb& v : ScenarioRunner::verbs()) {
        verbs.push_back(v.verb);
        const std::string usage = std::string(v.verb) + (*v.arguments ? " " : "") + v.arguments;
        EXPECT_NE(std::find(rows.begin(), rows.end(), usage), rows.end()) << usage << " missing from docs/simulator.md";
    }
    for (const std::string& row : rows) {
        const std::string verb = row.substr(0, row.find(' '));
        EXPECT_NE(std::find(verbs.begin(), verbs.end(), verb), verbs.end())
            << "docs/simulator.md lists " << row << ", which is no verb";
    }
    KelvaneSession session;
    ASSERT_TRUE(session.simulation) << session.error;
    const std::string help = session.simulation->help();
    for (const ScenarioRunner::Verb& v : ScenarioRunner::verbs())
        EXPECT_NE(help.find(std::string(v.verb) + " "), std::string::npos) << v.verb;
    EXPECT_NE(help.find("KB_1 on panel 2"), std::string::npos) << help;
}

}  // namespace
}  // namespace vrelhost
