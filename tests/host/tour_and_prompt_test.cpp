// The tour the demo tells and the prompt's help: completion of a line, the
// start-up folded on the console, and the demo's closing summary read from
// what the session did (the tour as a whole runs in the command-line suite).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "completion.h"
#include "interactive_prompt.h"
#include "tests/host/temp_site.h"
#include "tour.h"

namespace vrelhost {
namespace {

using Words = std::vector<std::string>;

TEST(Completion, FollowsTheShapeOfTheLine) {
    CompletionWords words;
    words.verbs = {"press", "parent", "quit", "show", "key", "say"};
    words.controls = {{"1", {"Select_3", "Select_10", "Confirm"}}, {"2", {"KB_1"}}, {"12", {"X"}}};
    words.keys = {"backspace", "return", "space"};

    EXPECT_EQ(completionsFor("", words), (Words{"key", "parent", "press", "quit", "say", "show"}));
    EXPECT_EQ(completionsFor("p", words), (Words{"parent", "press"}));
    EXPECT_EQ(completionsFor("  pr", words), (Words{"press"}));
    EXPECT_EQ(completionsFor("press ", words), (Words{"1", "12", "2"}));
    EXPECT_EQ(completionsFor("show 1", words), (Words{"1", "12"}));
    EXPECT_EQ(completionsFor("press 1 Sel", words), (Words{"Select_10", "Select_3"}));
    EXPECT_EQ(completionsFor("press  2  ", words), (Words{"KB_1"})) << "blanks between words are one gap";
    EXPECT_EQ(completionsFor("key re", words), (Words{"return"}));
    // Where a panel is unknown, or free text, numbers or an event go, nothing.
    EXPECT_TRUE(completionsFor("press 9 ", words).empty());
    EXPECT_TRUE(completionsFor("press 1 Confirm ", words).empty());
    EXPECT_TRUE(completionsFor("say p", words).empty());
    EXPECT_TRUE(completionsFor("show 1 ", words).empty());
    EXPECT_TRUE(completionsFor("frob", words).empty());

    // With several positions, a line may start with one; the rest completes as before.
    words.positions = {"@1", "@2", "@12"};
    EXPECT_EQ(completionsFor("", words),
              (Words{"@1", "@12", "@2", "key", "parent", "press", "quit", "say", "show"}));
    EXPECT_EQ(completionsFor("@1", words), (Words{"@1", "@12"}));
    EXPECT_EQ(completionsFor("@2 ", words), (Words{"key", "parent", "press", "quit", "say", "show"}));
    EXPECT_EQ(completionsFor("@2 press 1 Con", words), (Words{"Confirm"}));
    EXPECT_EQ(completionsFor(" @12  key sp", words), (Words{"space"}));
    EXPECT_TRUE(completionsFor("press @", words).empty());
    EXPECT_EQ(positionOf("@12 press"), 12);
    EXPECT_EQ(positionOf("  @3"), 3);
    for (const char* line : {"press 1", "@ press", "@x2", "@99999", ""})
        EXPECT_EQ(positionOf(line), 1) << line;

    EXPECT_EQ(commonPrefix({"Select_10", "Select_3"}), "Select_");
    EXPECT_EQ(commonPrefix({"press", "parent"}), "p");
    EXPECT_EQ(commonPrefix({"return"}), "return");
    EXPECT_EQ(commonPrefix({}), "");
}

// The words come from the panels the script loaded, so a panel file's
// controls complete without a list kept by hand.
TEST(Completion, TakesItsWordsFromTheSession) {
    std::ostringstream transcript;
    SimulationSettings settings = kelvaneSettings();
    settings.transcriptStream = &transcript;
    std::string error;
    std::unique_ptr<Simulation> simulation = Simulation::start(settings, error);
    ASSERT_TRUE(simulation) << error;
    const CompletionWords words = completionWordsOf(*simulation);
    EXPECT_EQ(completionsFor("press 2 NameSet_", words).size(), 8u);
    EXPECT_EQ(completionsFor("press 1 Con", words), (Words{"Confirm"}));
    EXPECT_EQ(completionsFor("ex", words), (Words{"exit"}));
    EXPECT_EQ(completionsFor("he", words), (Words{"help"}));
    EXPECT_TRUE(completionsFor("@", words).empty()) << "one position: nothing to address";

    settings.instances = 2;
    std::unique_ptr<Simulation> two = Simulation::start(settings, error);
    ASSERT_TRUE(two) << error;
    EXPECT_EQ(completionsFor("@", completionWordsOf(*two)), (Words{"@1", "@2"}));
    EXPECT_EQ(completionsFor("@2 press 1 Con", completionWordsOf(*two, 2)), (Words{"Confirm"}));
    ASSERT_EQ(two->runLine("@1 quit").outcome, Simulation::Outcome::done);
    EXPECT_EQ(completionsFor("@", completionWordsOf(*two)), (Words{"@2"}))
        << "a position that quit takes no line";
}

// On the console of an interactive session, the start-up is one line that
// counts what it holds; the exact form still has every line.
TEST(Transcript, FoldsTheStartUpOnTheConsoleOnly) {
    std::ostringstream console;
    std::vector<std::string> exact;
    SimulationSettings settings = kelvaneSettings();
    settings.console = &console;
    settings.foldStartup = true;
    settings.listener = [&exact](const std::string& line) { exact.push_back(line); };
    std::string error;
    std::unique_ptr<Simulation> simulation = Simulation::start(settings, error);
    ASSERT_TRUE(simulation) << error;
    std::size_t reads = 0;
    for (const std::string& line : exact) reads += line.compare(0, 5, "> RN ") == 0;
    ASSERT_GT(reads, 0u);
    EXPECT_EQ(console.str(), "* the script's start-up: " + std::to_string(exact.size()) + " lines, " +
                                 std::to_string(reads) + " of them database reads, folded (--transcript FILE " +
                                 "keeps every line)\n");
    // After the start-up the console shows lines again.
    simulation->runLine("press 1 Select_3");
    EXPECT_NE(console.str().find("\n< button panel 1 control Select_3"), std::string::npos) << console.str();
    EXPECT_EQ(simulation->finish(), 0);
}

// The summary reads the devices, not the script: what it says changes with them.
TEST(TourSummary, SaysWhatIsLiveAndWhereRenamesWent) {
    const SiteProfile& profile = kelvaneProfile();
    Device names{60, "names", "names", {{9, {"A", "B", "C"}}}, false, {}};
    Device tally{57, "tally", "infodriver", {}, true, {{212, "2"}}};
    std::vector<Device> before = {names, tally};
    std::vector<Device> after = before;
    after[0].databases[9][1] = "Bee";
    const std::vector<Rename> renames = renamesBetween(before, after);
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].entry, 2);
    const std::string summary = tourSummary(profile, renames, after, "", 0);
    EXPECT_NE(summary.find("renamed: the title of name set 2, \"B\" -> \"Bee\""), std::string::npos) << summary;
    EXPECT_NE(summary.find("live: name set 2, \"Bee\""), std::string::npos) << summary;
    EXPECT_NE(summary.find("saved: nowhere"), std::string::npos);
    EXPECT_NE(tourSummary(profile, renames, after, "s.json", 1, "s-unsaved.json")
                  .find("they are in s-unsaved.json"),
              std::string::npos);
    EXPECT_NE(tourSummary(profile, renames, after, "s.json", 1).find("saved: NOT all; 1 rename(s)"),
              std::string::npos);
    SiteProfile keepsNothing = profile;
    keepsNothing.keptRole.clear();
    EXPECT_NE(tourSummary(keepsNothing, renames, after, "s.json", 0).find("saved: nowhere; the profile kelvane"),
              std::string::npos);
    after[1].slots[212] = "";
    EXPECT_NE(tourSummary(profile, {}, after, "", 0).find("live: no name set reported"), std::string::npos);
    EXPECT_NE(tourSummary(profile, {}, after, "", 0).find("renamed: nothing"), std::string::npos);
}

}  // namespace
}  // namespace vrelhost
