// The simulation object as a view drives it: one operator line at a time,
// the transcript streamed line by line, the panels and devices read back,
// and the exit status from finish(). Also that the README lists every verb.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "kelvane_profile.h"
#include "simulation.h"

namespace vrelhost {
namespace {

SimulationSettings settingsFor(std::ostream& transcript, std::vector<std::string>& lines) {
    SimulationSettings settings;
    settings.profile = &kelvaneProfile();
    settings.library = KELVANE_LIBRARY;
    settings.panels = VREL_HOST_PANELS;
    settings.transcriptStream = &transcript;
    settings.listener = [&lines](const std::string& line) { lines.push_back(line); };
    return settings;
}

TEST(Simulation, RunsOperatorLinesAsAScenarioDoes) {
    std::ostringstream transcript, errors;
    std::vector<std::string> lines;
    SimulationSettings settings = settingsFor(transcript, lines);
    settings.errors = &errors;
    std::string error;
    std::unique_ptr<Simulation> simulation = Simulation::start(settings, error);
    ASSERT_TRUE(simulation) << error;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), std::string("< create \"") + VREL_HOST_PANELS + "\"");

    const std::size_t before = lines.size();
    Simulation::LineResult result = simulation->runLine("press 1 Confirm");  // disabled until a set is chosen
    EXPECT_EQ(result.outcome, Simulation::Outcome::done);
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

    EXPECT_EQ(simulation->finish(), 0) << errors.str();
    EXPECT_EQ(lines.back(), "> AS");
    EXPECT_EQ(transcript.str().size(), [&] {
        std::size_t n = 0;
        for (const std::string& l : lines) n += l.size() + 1;
        return n;
    }()) << "the listener saw every line the transcript holds";
    EXPECT_FALSE(simulation->alive());
}

TEST(Simulation, StartRefusesWhatItCannotOpen) {
    std::ostringstream transcript;
    std::vector<std::string> lines;
    SimulationSettings settings = settingsFor(transcript, lines);
    settings.library = "/nonexistent/libnothing.so";
    std::string error;
    EXPECT_FALSE(Simulation::start(settings, error));
    EXPECT_NE(error.find("/nonexistent/libnothing.so"), std::string::npos) << error;
}

// Every verb of the table is in help and in the README's list of operator lines.
TEST(Simulation, HelpAndReadmeListEveryVerb) {
    std::ifstream readme(std::string(PROJECT_SOURCE_DIR) + "/README.md");
    std::stringstream text;
    text << readme.rdbuf();
    ScenarioRunner::Options options;
    for (const ScenarioRunner::Verb& v : ScenarioRunner::verbs()) {
        const std::string usage = std::string(v.verb) + (*v.arguments ? " " : "") + v.arguments;
        EXPECT_NE(text.str().find("| `" + usage + "` |"), std::string::npos) << usage << " missing from README.md";
    }
    std::ostringstream transcript;
    std::vector<std::string> lines;
    std::string error;
    std::unique_ptr<Simulation> simulation = Simulation::start(settingsFor(transcript, lines), error);
    ASSERT_TRUE(simulation) << error;
    const std::string help = simulation->help();
    for (const ScenarioRunner::Verb& v : ScenarioRunner::verbs())
        EXPECT_NE(help.find(std::string(v.verb) + " "), std::string::npos) << v.verb;
    EXPECT_NE(help.find("KB_1 on panel 2"), std::string::npos) << help;
}

}  // namespace
}  // namespace vrelhost
