#include "replay.h"

#include <sys/stat.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "text_lines.h"
#include "transcript_format.h"
#include "user_file.h"

namespace vrelhost {
namespace {

// A saved transcript as the replay reads it.
struct Saved {
    std::vector<std::string> lines;  // from the creation line on
    std::size_t skipped = 0;         // lines of the file before them (the site copy line)
    std::string copy, fingerprint;   // the site copy the session kept, if it kept one
    bool severalPositions = false;
};

// A reply line: the host's answer to the query just above it.
bool isReply(const std::string& line) {
    const std::string body = splitInstance(line).body;
    return body.compare(0, 2, "= ") == 0 || body == "- no reply";
}

// Why a reply differs where the query the script sent before it is the same
// (not a parent command's answer, which is the script's): the site
// answered otherwise, so it is not the site the transcript was made on.
std::string siteHint(const std::vector<std::string>& saved, std::size_t at) {
    const bool startUp = std::none_of(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(at),
                                      [](const std::string& line) { return line.compare(0, 2, "# ") == 0; });
    return std::string("  ") + (startUp ? "a start-up read differs" : "the host's answer differs") +
           ": the site has changed since the transcript was made (a session's renames change its site file). "
           "Replay on the site as it was: --site FILE, or the copy a session with --site and --transcript "
           "keeps "
           "beside its transcript, which a replay takes by itself when the transcript names it\n";
}

bool readSaved(const std::string& path, Saved& saved, std::ostream& out) {
    std::string text, problem;
    if (!readUserFile(path, text, problem)) {
        out << "vrel-host: cannot read transcript " << path << ": " << problem << "\n";
        return false;
    }
    saved.lines = linesOf(text);
    // A line cut short (a full disk) says the session could not write its transcript.
    if (!text.empty() && text.back() != '\n') {
        out << "vrel-host: " << path << ":" << saved.lines.size()
            << ": the transcript's last line is incomplete: the session could not write it whole (a full "
               "disk?), "
               "so the transcript is not a whole record to replay\n";
        return false;
    }
    // The console folds a run of database reads into one line; such a copy
    // can never match, so say what is needed instead of a difference.
    for (std::size_t i = 0; i < saved.lines.size(); ++i) {
        if (!isFoldedReads(splitInstance(saved.lines[i]).body)) continue;
        out << "vrel-host: " << path << ":" << i + 1
            << ": this is the console's form, with runs of reads folded into one line; replay needs the "
               "exact "
               "transcript that --transcript writes\n";
        return false;
    }
    std::string first;
    if (!saved.lines.empty() && unescapeText(saved.lines[0], first) &&
        parseSiteCopyLine(first, saved.copy, saved.fingerprint)) {
        saved.lines.erase(saved.lines.begin());
        saved.skipped = 1;
    }
    return true;
}

// The creation text and how many positions: one creation line per instance,
// at the start: "[K] < create ..." with several, a bare one with a single instance.
bool readCreation(const Saved& saved, const std::string& path, SimulationSettings& settings,
                  std::ostream& out) {
    const TranscriptLine first = saved.lines.empty() ? TranscriptLine{} : splitInstance(saved.lines[0]);
    std::string body;
    const std::optional<std::string> creation =
        unescapeText(first.body, body) ? parseCreationLine(body) : std::nullopt;
    if (!creation || first.instance > 1) {
        out << "vrel-host: " << path
            << " is not a saved transcript: it does not start with < create \"...\"\n";
        return false;
    }
    settings.panels = *creation;
    settings.instances = 1;
    if (first.instance == 1) {
        for (const std::string& line : saved.lines) {
            const TranscriptLine l = splitInstance(line);
            if (l.instance > settings.instances && parseCreationLine(l.body)) settings.instances = l.instance;
        }
    }
    return true;
}

// The site to replay on: the one given, else the copy the transcript names
// when it is still that copy, else the profile's default site.
bool chooseSite(const Saved& saved, const std::string& path, SimulationSettings& settings,
                std::ostream& out) {
    if (!settings.siteFile.empty() || saved.copy.empty()) return true;
    // Where the session wrote it, else beside the transcript under its own name.
    std::string copy = saved.copy;
    if (!userFileExists(copy)) {
        const std::size_t slash = path.rfind('/'), name = copy.rfind('/');
        copy = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
               (name == std::string::npos ? copy : copy.substr(name + 1));
    }
    std::string text, problem;
    struct stat info {};
    if (::lstat(copy.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        problem = "it is a symbolic link";
    else if (!readUserFile(copy, text, problem))
        problem = "cannot be read: " + problem;
    else if (fingerprintOf(text) != saved.fingerprint)
        problem = "it is not the copy this transcript was made with (it changed since)";
    if (problem.empty()) {
        settings.siteFile = copy;
        out << "vrel-host: replaying on " << copy << ", the site as it was when the session started\n";
        return true;
    }
    out << "vrel-host: " << path << " was made on the site kept in " << saved.copy << ", but " << copy << ": "
        << problem << "; replay with --site FILE, the site as it was when the session started\n";
    return false;
}

// Every operator line and narration of the saved transcript, run again as
// the line it was, at the position that wrote it.
void runSavedLines(Simulation& simulation, const Saved& saved) {
    for (const std::string& line : saved.lines) {
        const TranscriptLine l = splitInstance(line);
        if (saved.severalPositions != (l.instance > 0)) continue;  // not a line this session wrote
        std::string body, content;
        int number = 0;
        if (!unescapeText(l.body, body)) continue;
        // A narration line stands for the say line that wrote it.
        if (std::optional<std::string> sentence = parseNarrationLine(body))
            content = "say " + *sentence;
        else if (!parseInputLine(body, number, content))
            continue;
        if (saved.severalPositions) content = "@" + std::to_string(l.instance) + " " + content;
        if (!simulation.alive()) break;
        if (simulation.runLine(content, number).outcome == Simulation::Outcome::quit) break;
    }
}

// 0 when `now` is the saved transcript, line for line; 1, with the first
// difference said, when it is not.
int compare(const Saved& saved, const std::vector<std::string>& now, int positions, const std::string& path,
            std::ostream& out) {
    // A session ended by a signal (Ctrl-C, SIGTERM, SIGKILL) never destroyed
    // its script: its transcript stops after its last line, and is compared
    // up to there. One that did must match to the end, line for line.
    // With several positions, every one of them must have been destroyed.
    const auto destroys = std::count_if(saved.lines.begin(), saved.lines.end(), [](const std::string& line) {
        return splitInstance(line).body == "< destroy";
    });
    const bool destroyed = destroys >= positions;
    const std::vector<std::string>& was = saved.lines;
    const std::size_t compared = destroyed ? std::max(was.size(), now.size()) : was.size();
    for (std::size_t i = 0; i < compared; ++i) {
        if (i < was.size() && i < now.size() && was[i] == now[i]) continue;
        out << path << ":" << i + 1 + saved.skipped << ": the replay differs\n";
        out << "  saved:  " << (i < was.size() ? was[i] : "(the saved transcript ends here)") << "\n";
        out << "  replay: " << (i < now.size() ? now[i] : "(the replay ends here)") << "\n";
        if (i > 0 && i < was.size() && i < now.size() && isReply(was[i]) && isReply(now[i]) &&
            was[i - 1] == now[i - 1] && was[i - 1].compare(0, 2, "> ") == 0)
            out << siteHint(was, i);
        return 1;
    }
    out << "vrel-host: replay of " << path << ": " << was.size() + saved.skipped << " lines, all the same";
    if (!destroyed)
        out << "; its session ended without destroying the script (a signal ended it), so the replay was compared "
               "up to its last line";
    out << "\n";
    return 0;
}

}  // namespace

std::string siteCopyBeside(const std::string& transcriptPath) {
    return transcriptPath + ".site.json";
}

int replayTranscript(const std::string& transcriptPath, SimulationSettings settings, std::ostream& out) {
    Saved saved;
    if (!readSaved(transcriptPath, saved, out) || !readCreation(saved, transcriptPath, settings, out) ||
        !chooseSite(saved, transcriptPath, settings, out))
        return 1;
    saved.severalPositions = splitInstance(saved.lines[0]).instance > 0;
    std::ostringstream replayed;
    settings.transcriptStream = &replayed;
    settings.transcriptFile.clear();
    settings.console = nullptr;
    settings.echoInput = true;
    settings.saveRenames = false;  // the site is only read: no lock, no save
    settings.siteCopyFile.clear();
    settings.errors = &out;

    std::string error;
    std::unique_ptr<Simulation> simulation = Simulation::start(settings, error);
    if (!simulation) {
        out << "vrel-host: " << error << "\n";
        return 1;
    }
    runSavedLines(*simulation, saved);
    simulation->finish();
    return compare(saved, linesOf(replayed.str()), settings.instances, transcriptPath, out);
}

}  // namespace vrelhost
