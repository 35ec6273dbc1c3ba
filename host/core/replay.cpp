#include "replay.h"

#include <sys/stat.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <vector>

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

// "# N: LINE" -> N and LINE.
bool operatorLine(const std::string& line, int& number, std::string& content) {
    if (line.compare(0, 2, "# ") != 0) return false;
    const char* first = line.data() + 2;
    const char* last = line.data() + line.size();
    auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end == first || number <= 0 || last - end < 2 || end[0] != ':' || end[1] != ' ')
        return false;
    content.assign(end + 2, last);
    return true;
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

    const std::string createPrefix = "< create \"";
    if (saved.empty() || saved[0].size() < createPrefix.size() + 1 ||
        saved[0].compare(0, createPrefix.size(), createPrefix) != 0 || saved[0].back() != '"') {
        out << "vrel-host: " << transcriptPath << " is not a saved transcript: it does not start with "
            << createPrefix << "...\"\n";
        return 1;
    }
    // The console folds a run of database reads into one line; such a copy
    // can never match, so say what is needed instead of a difference.
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i].compare(0, 5, "> RN ") == 0 && saved[i].find(" reads, first ") != std::string::npos) {
            out << "vrel-host: " << transcriptPath << ":" << i + 1
                << ": this is the console's form, with runs of reads folded into one line; replay needs the exact "
                   "transcript that --transcript writes\n";
            return 1;
        }
    }
    settings.panels = saved[0].substr(createPrefix.size(), saved[0].size() - createPrefix.size() - 1);
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
    for (const std::string& line : saved) {
        int number = 0;
        std::string content;
        if (!operatorLine(line, number, content)) continue;
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
