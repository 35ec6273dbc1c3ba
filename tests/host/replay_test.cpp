// Replay: a saved transcript is compared with the rerun to its last line in
// both directions; only a start-up read that differs is put down to the
// site; the site a replay reads is never written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <set>
#include <sstream>

#include "replay.h"
#include "tests/host/temp_site.h"

namespace vrelhost {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class Replay : public ::testing::Test {
protected:
    // A session on the site file, its transcript in run.log, the site as it
    // was kept beside it; renames source 5 of name set 1 and asks the parent
    // command for its parameters.
    void SetUp() override {
        std::string error;
        SimulationSettings settings = kelvaneSettings();
        settings.siteFile = site;
        settings.transcriptFile = log;
        settings.siteCopyFile = siteCopyBeside(log);
        std::ostringstream errors;
        settings.errors = &errors;
        std::unique_ptr<Simulation> session = Simulation::start(settings, error);
        ASSERT_TRUE(session) << error;
        for (const char* line : {"press 1 Name_Editor", "press 2 SrcName index=5", "key backspace", "type R",
                                 "key return", "press 2 Update", "parent return=all"})
            ASSERT_EQ(session->runLine(line).outcome, Simulation::Outcome::done) << line;
        ASSERT_EQ(session->finish(), 0) << errors.str();
        saved = linesOf(contents(log));
        ASSERT_NE(std::find(saved.begin(), saved.end(), "> RM 60 1 5 'CAMR' 0"), saved.end());
    }

    // Replays `lines` (saved as edited.log, beside no site copy) on `siteFile`.
    int replay(const std::vector<std::string>& lines, std::string& said, const std::string& siteFile) {
        std::ofstream(edited) << joined(lines);
        SimulationSettings settings = kelvaneSettings();
        settings.siteFile = siteFile;
        std::ostringstream out;
        const int status = replayTranscript(edited, settings, out);
        said = out.str();
        return status;
    }
    std::size_t indexOf(const std::string& line) const {
        return static_cast<std::size_t>(std::find(saved.begin(), saved.end(), line) - saved.begin());
    }

    TempSite files{"vrel-replay-test"};
    const std::string &folder = files.folder, &site = files.path;
    std::string log = files.at("run.log"), edited = files.at("edited.log"), before = siteCopyBeside(log);
    std::vector<std::string> saved;
};

// A replay reads its site and never writes it, not even for the renames the
// transcript holds; it takes no lock and leaves no file beside it.
TEST_F(Replay, ComparesToTheLastLineOfTheLongerOfTheTwoAndNeverWritesTheSite) {
    struct stat old {};
    ASSERT_EQ(stat(before.c_str(), &old), 0);
    const std::string text = contents(before);
    std::set<std::string> files = filesIn(folder);
    files.insert("edited.log");
    std::string said;
    ASSERT_EQ(replay(saved, said, before), 0) << said;
    EXPECT_EQ(said, "vrel-host: replay of " + edited + ": " + std::to_string(saved.size()) + " lines, all the same\n");
    struct stat now {};
    ASSERT_EQ(stat(before.c_str(), &now), 0);
    EXPECT_EQ(contents(before), text) << "the replay's rename reached the file";
    EXPECT_EQ(now.st_ino, old.st_ino) << "the file was replaced";
    EXPECT_EQ(filesIn(folder), files);

    std::vector<std::string> longer = saved;
    longer.push_back("> CE '1' 'Confirm'");
    EXPECT_EQ(replay(longer, said, before), 1);
    EXPECT_EQ(said, edited + ":" + std::to_string(longer.size()) +
                        ": the replay differs\n  saved:  > CE '1' 'Confirm'\n  replay: (the replay ends here)\n");

    std::vector<std::string> shorter(saved.begin(), saved.end() - 1);
    ASSERT_EQ(saved.back(), "> AS");
    EXPECT_EQ(replay(shorter, said, before), 1);
    EXPECT_EQ(said, edited + ":" + std::to_string(saved.size()) +
                        ": the replay differs\n  saved:  (the saved transcript ends here)\n  replay: > AS\n");
}

// The answer to a parent command is the script's, not the site's: when it
// differs, the replay does not blame the site. (A start-up read that differs
// does; the command-line suite replays a killed session on a changed site.)
TEST_F(Replay, AParentAnswerThatDiffersIsNotPutDownToTheSite) {
    std::vector<std::string> answer = saved;
    const std::size_t parent = indexOf("< parent \"return=all\"");
    ASSERT_LT(parent + 1, answer.size());
    answer[parent + 1] = "= something else";
    std::string said;
    EXPECT_EQ(replay(answer, said, before), 1);
    EXPECT_NE(said.find("the replay differs"), std::string::npos) << said;
    EXPECT_EQ(said.find("site has changed"), std::string::npos) << said;
}

// The copy beside the transcript is taken only when the transcript names it
// and it is still that copy; a transcript cut short is said to be, not replayed.
TEST_F(Replay, TakesOnlyTheSiteCopyTheTranscriptNamesAndNoTranscriptCutShort) {
    ASSERT_EQ(saved.front().rfind("% site copy " + before + ", fingerprint ", 0), 0u) << saved.front();
    std::ostringstream out;
    EXPECT_EQ(replayTranscript(log, kelvaneSettings(), out), 0) << out.str();
    EXPECT_NE(out.str().find("replaying on " + before), std::string::npos) << out.str();

    // Remade without the copy: the copy left beside it is not this session's start.
    std::ofstream(edited) << joined(std::vector<std::string>(saved.begin() + 1, saved.end()));
    std::ofstream(siteCopyBeside(edited)) << contents(site);
    out.str("");
    EXPECT_EQ(replayTranscript(edited, kelvaneSettings(), out), 0) << out.str();
    EXPECT_EQ(out.str().find("replaying on"), std::string::npos) << out.str();

    // The copy replaced since (by the site as the session left it): refused, not taken.
    std::ofstream(before) << contents(site);
    out.str("");
    EXPECT_EQ(replayTranscript(log, kelvaneSettings(), out), 1);
    EXPECT_NE(out.str().find("it is not the copy this transcript was made with"), std::string::npos)
        << out.str();

    std::string cut = joined(saved);
    cut.resize(cut.size() - 3);
    std::ofstream(edited) << cut;
    out.str("");
    EXPECT_EQ(replayTranscript(edited, kelvaneSettings(), out), 1);
    EXPECT_NE(out.str().find("the transcript's last line is incomplete"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace vrelhost
