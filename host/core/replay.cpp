#include "replay.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "transcript_format.h"
#include "user_file.h"

namespace vrelhost {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A reply line: the host's answer to the query just above it.
bool isReply(const std::string& line) {
    const std::string body = splitInstance(line).body;
    return body.compare(0, 2, "= ") == 0 || body == "- no reply";
}

// Why a reply differs where the query the script sent before it is the same
// (not a parent command's answer, which is the script's): the site
// answered otherwise, so it is not the site the transcript was made on.
std::string siteHint(const std::vector<std::string>& saved, std::size_t at, const std::string& transcriptPath) {
    const bool startUp = std::none_of(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(at),
                                      [](const std::string& line) { return line.compare(0, 2, "# ") == 0; });
    return std::string("  ") + (startUp ? "a start-up read differs" : "the host's answer differs") +
           ": the site has changed since the transcript was made (a session's renames change its site file). "
           "Replay on the site as it was: --site FILE, or the copy a session with --site and --transcript keeps "
           "beside its transcript (" +
           siteCopyBeside(transcriptPath) + ")\n";
}

}  // namespace

std::string siteCopyBeside(const std::string& transcriptPath) { return transcriptPath + ".site.json"; }

int replayTranscript(const std::string& transcriptPath, SimulationSettings settings, std::ostream& out) {
    std::string text, problem;
    if (!readUserFile(transcriptPath, text, problem)) {
        out << "vrel-host: cannot read transcript " << transcriptPath << ": " << problem << "\n";
        return 1;
    }
    const std::vector<std::string> saved = linesOf(text);

    // The console folds a run of database reads into one line; such a copy
    // can never match, so say what is needed instead of a difference.
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (isFoldedReads(splitInstance(saved[i]).body)) {
            out << "vrel-host: " << transcriptPath << ":" << i + 1
                << ": this is the console's form, with runs of reads folded into one line; replay needs the exact "
                   "transcript that --transcript writes\n";
            return 1;
        }
    }
    // One creation line per instance, at the start: "[K] < create ..." with
    // several, a bare one with a single instance.
    const TranscriptLine first = saved.empty() ? TranscriptLine{} : splitInstance(saved[0]);
    const std::optional<std::string> creation = parseCreationLine(first.body);
    if (!creation || first.instance > 1) {
        out << "vrel-host: " << transcriptPath << " is not a saved transcript: it does not start with "
            << "< create \"...\"\n";
        return 1;
    }
    settings.panels = *creation;
    settings.instances = 1;
    if (first.instance == 1) {
        for (const std::string& line : saved) {
            const TranscriptLine l = splitInstance(line);
            if (l.instance > settings.instances && parseCreationLine(l.body)) settings.instances = l.instance;
        }
    }
    std::ostringstream replayed;
    settings.transcriptStream = &replayed;
    settings.transcriptFile.clear();
    settings.console = nullptr;
    settings.echoInput = true;
    settings.saveRenames = false;  // the site is only read: no lock, no save
    settings.siteCopyFile.clear();
    settings.errors = &out;
    const std::string copy = siteCopyBeside(transcriptPath);
    if (settings.siteFile.empty() && userFileExists(copy)) {
        settings.siteFile = copy;
        out << "vrel-host: replaying on " << copy << ", the site as it was when the session started\n";
    }

    std::string error;
    std::unique_ptr<Simulation> simulation = Simulation::start(settings, error);
    if (!simulation) {
        out << "vrel-host: " << error << "\n";
        return 1;
    }
    const bool several = first.instance > 0;
    for (const std::string& line : saved) {
        const TranscriptLine l = splitInstance(line);
        if (several != (l.instance > 0)) continue;  // not a line this session wrote
        int number = 0;
        std::string content;
        // A narration line stands for the say line that wrote it.
        if (std::optional<std::string> sentence = parseNarrationLine(l.body)) {
            content = "say " + *sentence;
        } else if (!parseInputLine(l.body, number, content)) {
            continue;
        }
        // Every line goes back to the instance that wrote it.
        if (several) content = "@" + std::to_string(l.instance) + " " + content;
        if (!simulation->alive()) break;
        if (simulation->runLine(content, number).outcome == Simulation::Outcome::quit) break;
    }
    simulation->finish();

    const std::vector<std::string> now = linesOf(replayed.str());
    // A session ended by a signal (Ctrl-C, SIGTERM, SIGKILL) never destroyed
    // its script: its transcript stops after its last line, and is compared
    // up to there. One that did must match to the end, line for line.
    // With several positions, every one of them must have been destroyed.
    const auto destroys = std::count_if(saved.begin(), saved.end(), [](const std::string& line) {
        return splitInstance(line).body == "< destroy";
    });
    const bool destroyed = destroys >= settings.instances;
    const std::size_t compared = destroyed ? std::max(saved.size(), now.size()) : saved.size();
    for (std::size_t i = 0; i < compared; ++i) {
        if (i < saved.size() && i < now.size() && saved[i] == now[i]) continue;
        out << transcriptPath << ":" << i + 1 << ": the replay differs\n";
        out << "  saved:  " << (i < saved.size() ? saved[i] : "(the saved transcript ends here)") << "\n";
        out << "  replay: " << (i < now.size() ? now[i] : "(the replay ends here)") << "\n";
        if (i > 0 && i < saved.size() && i < now.size() && isReply(saved[i]) && isReply(now[i]) &&
            saved[i - 1] == now[i - 1] && saved[i - 1].compare(0, 2, "> ") == 0)
            out << siteHint(saved, i, transcriptPath);
        return 1;
    }
    out << "vrel-host: replay of " << transcriptPath << ": " << saved.size() << " lines, all the same";
    if (!destroyed)
        out << "; its session ended without destroying the script (a signal ended it), so the replay was compared "
               "up to its last line";
    out << "\n";
    return 0;
}

}  // namespace vrelhost
