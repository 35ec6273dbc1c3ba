// Several operator positions on one site: the real component loaded once per
// position through its export, the positions reaching each other only through
// the host's devices. A rename on one is a database change on the others, a
// confirmed name set a revertive for all; one position can go while the
// others keep running; a two-position transcript replays clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "replay.h"
#include "tests/host/temp_site.h"

namespace vrelhost {
namespace {

struct Positions : KelvaneSession {
    explicit Positions(int instances, const std::string& siteFile = "")
        : KelvaneSession([&](SimulationSettings& settings) {
              settings.instances = instances;
              settings.siteFile = siteFile;
          }) {
        if (!simulation) ADD_FAILURE() << error;
    }

    void run(const std::vector<std::string>& operatorLines) {
        for (const std::string& line : operatorLines) {
            const Simulation::LineResult result = simulation->runLine(line);
            ASSERT_EQ(result.outcome, Simulation::Outcome::done) << line << ": " << result.message;
        }
    }
    // Where the line is in the transcript so far; lines.size() when it is not.
    std::size_t find(const std::string& line, std::size_t from = 0) const {
        auto found = std::find(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(), line);
        return static_cast<std::size_t>(found - lines.begin());
    }
    std::string text(int instance, const std::string& panel, const std::string& control) const {
        for (const Control& c : simulation->panels(instance).at(panel).controls)
            if (c.name == control) return c.property("text");
        return "(no control " + control + ")";
    }
};

// Position `k` opens the name editor on name set 3 and takes a source (17
// unless told) into the keyboard.
std::vector<std::string> editSource(int k, int source = 17) {
    const std::string at = "@" + std::to_string(k) + " ";
    return {at + "press 1 Name_Editor", at + "press 2 NameSet_3", at + "press 2 SrcName index=" + std::to_string(source)};
}

std::vector<std::string> renameSource(int k, const std::string& name, int source = 17) {
    const std::string at = "@" + std::to_string(k) + " ";
    std::vector<std::string> lines = editSource(k, source);
    for (int i = 0; i < 8; ++i) lines.push_back(at + "key backspace");
    lines.push_back(at + "type " + name);
    lines.push_back(at + "key return");
    lines.push_back(at + "press 2 Update");
    return lines;
}

TEST(Positions, ARenameReachesEveryRegisteredPositionInAscendingOrder) {
    Positions p(3);
    ASSERT_TRUE(p.simulation);
    p.run(editSource(2));
    const std::string before = p.text(2, "2", "PreEdit");
    ASSERT_NE(before, "Cam 17");
    const std::size_t from = p.lines.size();
    p.run(renameSource(1, "Cam 17"));

    const std::size_t rename = p.find("[1] > RM 60 3 17 'Cam 17' 0", from);
    ASSERT_LT(rename, p.lines.size()) << p.transcript.str();
    const std::string change = "< database device 60 database 3 entry 17 \"Cam 17\"";
    const std::size_t first = p.find("[1] " + change, rename), second = p.find("[2] " + change, rename),
                      third = p.find("[3] " + change, rename);
    // The writer too, each its own call after the rename's call returned, 1 before 2 before 3.
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    ASSERT_LT(third, p.lines.size()) << p.transcript.str();
    // Position 2 has that name open: the driver's name is drawn over its editor.
    EXPECT_LT(p.find("[2] > TP 'text=Cam 17' '2' 'PreEdit'", second), third);
    EXPECT_EQ(p.text(2, "2", "PreEdit"), "Cam 17");
    // Position 3 is on its selector: the change is taken, nothing of the editor is drawn.
    EXPECT_EQ(p.find("[3] > TP 'text=Cam 17' '2' 'PreEdit'", third), p.lines.size());
    EXPECT_EQ(p.simulation->finish(), 0) << p.errors.str();
}

TEST(Positions, AConfirmOnOnePositionMovesCurrentOnTheOther) {
    Positions p(2);
    ASSERT_TRUE(p.simulation);
    const std::string currentBefore = p.text(1, "1", "Current");
    const std::string title3 = p.text(1, "1", "Names_3");
    ASSERT_NE(currentBefore, title3);
    const std::size_t from = p.lines.size();
    p.run({"@2 press 1 Select_3", "@2 press 1 Confirm"});
    const std::size_t written = p.find("[2] > IW 57 '3' 212 0", from);
    ASSERT_LT(written, p.lines.size()) << p.transcript.str();
    const std::size_t toOne = p.find("[1] < revertive device 57 slot 212 \"3\"", written);
    EXPECT_LT(toOne, p.find("[2] < revertive device 57 slot 212 \"3\"", written));
    EXPECT_LT(p.find("[1] > TP 'text=" + title3 + "' '1' 'Current'", toOne), p.lines.size());
    EXPECT_EQ(p.text(1, "1", "Current"), title3);
    EXPECT_EQ(p.text(2, "1", "Current"), title3);
    EXPECT_EQ(p.simulation->finish(), 0) << p.errors.str();
}

TEST(Positions, OnePositionGoesAndTheOthersKeepTheirRegistrations) {
    Positions p(3);
    ASSERT_TRUE(p.simulation);
    p.run({"@2 quit"});
    EXPECT_TRUE(p.simulation->alive());
    EXPECT_FALSE(p.simulation->alive(2));
    EXPECT_TRUE(p.simulation->alive(1));
    EXPECT_TRUE(p.simulation->alive(3));
    EXPECT_LT(p.find("[2] < destroy"), p.find("[2] > AS"));
    ASSERT_LT(p.find("[2] > AS"), p.lines.size());

    // The position that went is refused; the others still hear the devices.
    const Simulation::LineResult refused = p.simulation->runLine("@2 show 1");
    EXPECT_EQ(refused.outcome, Simulation::Outcome::error);
    EXPECT_EQ(refused.message, "position 2 no longer runs");
    const std::size_t from = p.lines.size();
    p.run({"@3 press 1 Select_4", "@3 press 1 Confirm"});
    EXPECT_LT(p.find("[1] < revertive device 57 slot 212 \"4\"", from), p.lines.size());
    EXPECT_LT(p.find("[3] < revertive device 57 slot 212 \"4\"", from), p.lines.size());
    EXPECT_EQ(p.find("[2] < revertive device 57 slot 212 \"4\"", from), p.lines.size());
    EXPECT_EQ(p.text(1, "1", "Current"), p.text(1, "1", "Names_4"));

    // The last one to go ends the session.
    p.run({"@1 quit"});
    EXPECT_EQ(p.simulation->runLine("@3 quit").outcome, Simulation::Outcome::quit);
    EXPECT_FALSE(p.simulation->alive());
    EXPECT_EQ(p.simulation->finish(), 0) << p.errors.str();
    EXPECT_EQ(std::count(p.lines.begin(), p.lines.end(), "[2] < destroy"), 1) << "destroyed once";
}

TEST(Positions, LinesAreAddressedOrRefusedWithTheReason) {
    Positions p(2);
    ASSERT_TRUE(p.simulation);
    for (const auto& [line, message] : std::vector<std::pair<std::string, std::string>>{
             {"@3 show 1", "@3 names no position; there are @1 to @2"},
             {"@0 show 1", "@0 names no position; there are @1 to @2"},
             {"@x show 1", "@x names no position; there are @1 to @2"},
             {"@99999999999999999999 show", "@99999999999999999999 names no position; there are @1 to @2"},
             {"@2", "@2 needs a line after it"},
             {"@2   ", "@2 needs a line after it"},
             {"@2 key tab", "\"tab\" is not a key: one character, or one of backspace, return, space"},
         }) {
        const Simulation::LineResult result = p.simulation->runLine(line);
        EXPECT_EQ(result.outcome, Simulation::Outcome::error) << line;
        EXPECT_EQ(result.message, message) << line;
    }
    // Numbered as scenario lines, whichever position takes them; unaddressed
    // is position 1. A line refused before it became one took no number.
    p.run({"show 1", "@2 say second position"});
    EXPECT_LT(p.find("[2] # 1: key tab"), p.lines.size());
    EXPECT_LT(p.find("[1] # 2: show 1"), p.lines.size());
    EXPECT_LT(p.find("[2] * second position"), p.lines.size());
    EXPECT_EQ(p.transcript.str().find("say second"), std::string::npos) << "a say line is not echoed";
    EXPECT_NE(p.simulation->help().find("a line without @K goes to position 1"), std::string::npos);
    // Every line of the exact transcript carries its position.
    std::istringstream all(p.transcript.str());
    for (std::string line; std::getline(all, line);)
        EXPECT_TRUE(line.rfind("[1] ", 0) == 0 || line.rfind("[2] ", 0) == 0) << line;
}

TEST(Positions, OnePositionWritesNoPrefixAndTakesAtOne) {
    Positions p(1);
    ASSERT_TRUE(p.simulation);
    EXPECT_EQ(p.lines.front(), std::string("< create \"") + VREL_HOST_PANELS + "\"");
    p.run({"@1 press 1 Select_2"});
    EXPECT_LT(p.find("# 1: press 1 Select_2"), p.lines.size());
    EXPECT_EQ(p.simulation->runLine("@2 show").message, "@2 names no position; there is only @1");
    EXPECT_EQ(p.simulation->help().find("@K LINE"), std::string::npos);
    EXPECT_EQ(p.simulation->runLine("@1 quit").outcome, Simulation::Outcome::quit);
}

TEST(Positions, OneClockTicksEveryPositionInTimeOrder) {
    Positions p(2);
    ASSERT_TRUE(p.simulation);
    // A chosen set that nobody confirms lapses: each position runs its own
    // timer, and a wait on one moves the clock of all.
    p.run({"@2 press 1 Select_5", "@1 wait 400", "@1 press 1 Select_6", "@2 wait 1000"});
    const std::size_t two = p.find("[2] < tick timer 1 at 1000 ms");
    const std::size_t one = p.find("[1] < tick timer 1 at 1400 ms");
    EXPECT_LT(two, one);
    ASSERT_LT(one, p.lines.size()) << p.transcript.str();
    EXPECT_EQ(p.simulation->clock(), 1400);
    EXPECT_EQ(p.simulation->nextTick(), std::optional<long long>(2000)) << "position 2's second tick";
}

// Every save writes the whole site, so a good save on any position holds the
// renames whose save failed on another: nothing is missing at the end.
TEST(Positions, AGoodSaveOnOnePositionHoldsAFailedOneFromAnother) {
    TempSite site("vrel-positions-test");
    {
        Positions p(2, site.path);
        ASSERT_TRUE(p.simulation);
        // A folder where the site file was: the save of position 1's rename fails.
        ASSERT_EQ(std::rename(site.path.c_str(), site.at("aside").c_str()), 0);
        std::filesystem::create_directory(site.path);
        p.run(renameSource(1, "One"));
        ASSERT_EQ(p.simulation->unsavedRenames(), 1) << p.transcript.str();
        std::filesystem::remove(site.path);
        ASSERT_EQ(std::rename(site.at("aside").c_str(), site.path.c_str()), 0);
        p.run(renameSource(2, "Two", 18));
        EXPECT_EQ(p.simulation->unsavedRenames(), 0);
        EXPECT_EQ(p.simulation->finish(), 0) << p.errors.str();
        EXPECT_EQ(p.errors.str().find("could not be saved"), std::string::npos) << p.errors.str();
    }
    const std::string saved = contents(site.path);
    EXPECT_NE(saved.find("\"One\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"Two\""), std::string::npos) << saved;
}

TEST(Positions, ATwoPositionTranscriptReplaysCleanAndAnEditFails) {
    const std::string file = ::testing::TempDir() + "positions_replay.log";
    {
        Positions p(2);
        ASSERT_TRUE(p.simulation);
        p.run(renameSource(2, "Cam 9"));
        p.run({"@1 press 1 Select_3", "@1 press 1 Confirm", "@1 say done",
               "@2 quit", "@1 wait 3000"});
        ASSERT_EQ(p.simulation->finish(), 0) << p.errors.str();
        std::ofstream(file) << p.transcript.str();
    }
    SimulationSettings settings = kelvaneSettings();
    std::ostringstream out;
    EXPECT_EQ(replayTranscript(file, settings, out), 0) << out.str();
    EXPECT_NE(out.str().find("all the same"), std::string::npos) << out.str();

    std::ifstream in(file);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t at = saved.find("[1] < database device 60 database 3 entry 17 \"Cam 9\"");
    ASSERT_NE(at, std::string::npos);
    saved.replace(at, 3, "[2]");  // as if the report had gone to the other position
    std::ofstream(file, std::ios::trunc) << saved;
    std::ostringstream edited;
    EXPECT_EQ(replayTranscript(file, settings, edited), 1);
    EXPECT_NE(edited.str().find("the replay differs"), std::string::npos) << edited.str();
    std::remove(file.c_str());
}

TEST(Positions, TheConsoleKeepsEachPositionsFoldedReadsInOrder) {
    std::ostringstream console;
    KelvaneSession p([&console](SimulationSettings& settings) {
        settings.transcriptStream = nullptr;
        settings.console = &console;
        settings.instances = 2;
    });
    ASSERT_TRUE(p.simulation) << p.error;
    ASSERT_EQ(p.simulation->finish(), 0) << p.errors.str();
    const std::string text = console.str();
    const std::size_t folded1 = text.find("[1] > RN "), create2 = text.find("[2] < create ");
    const std::size_t folded2 = text.find("[2] > RN ");
    ASSERT_NE(folded2, std::string::npos) << text;
    EXPECT_LT(folded1, create2);
    EXPECT_LT(create2, folded2);
    EXPECT_NE(text.find(" reads, first ", folded1), std::string::npos);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.empty() || line.rfind("[1] ", 0) == 0 || line.rfind("[2] ", 0) == 0) << line;
}

TEST(Positions, StartRefusesACountOutOfRange) {
    for (int count : {0, -1, maxInstances + 1}) {
        KelvaneSession p([count](SimulationSettings& settings) { settings.instances = count; });
        EXPECT_FALSE(p.simulation);
        EXPECT_NE(p.error.find("instances must be 1 to"), std::string::npos) << p.error;
    }
}

}  // namespace
}  // namespace vrelhost
