#include "replay.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "transcript_format.h"

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

}  // namespace

int replayTranscript(const std::string& transcriptPath, SimulationSettings settings, std::ostream& out) {
    struct stat info {};
    std::ifstream in(transcriptPath, std::ios::binary);
    if (!in || (::stat(transcriptPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode))) {
        out << "vrel-host: cannot read transcript " << transcriptPath << "\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::vector<std::string> saved = linesOf(text.str());

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
    settings.saveRenames = false;
    settings.errors = &out;

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
    for (std::size_t i = 0; i < saved.size() || i < now.size(); ++i) {
        if (i < saved.size() && i < now.size() && saved[i] == now[i]) continue;
        out << transcriptPath << ":" << i + 1 << ": the replay differs\n";
        out << "  saved:  " << (i < saved.size() ? saved[i] : "(the saved transcript ends here)") << "\n";
        out << "  replay: " << (i < now.size() ? now[i] : "(the replay ends here)") << "\n";
        return 1;
    }
    out << "vrel-host: replay of " << transcriptPath << ": " << saved.size() << " lines, all the same\n";
    return 0;
}

}  // namespace vrelhost
