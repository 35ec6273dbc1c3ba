#include "transcript.h"

#include <sstream>
#include <variant>

#include "host/protocol/command_grammar.h"
#include "transcript_format.h"

namespace vrelhost {
namespace {

struct ReadKey {
    int device = 0, database = 0, index = 0;
};

bool readKey(const std::string& command, ReadKey& key) {
    if (commandCodeOf(command.c_str()) != CommandCode::RN) return false;
    std::string error;
    const std::optional<HostCommand> parsed = parseHostCommand(command, error);
    const auto* read = parsed ? std::get_if<cmd::RN>(&parsed->fields) : nullptr;
    if (!read) return false;
    key = ReadKey{read->device, read->database, read->index};
    return true;
}

}  // namespace

bool Transcript::extendsRun(const std::string& command) const {
    ReadKey next;
    if (!readKey(command, next)) return false;
    if (run_.empty()) return true;
    ReadKey last;
    readKey(run_.back().command, last);
    return !run_.back().answer.empty() && next.device == last.device && next.database == last.database &&
           next.index == last.index + 1;
}

bool Transcript::folds(const std::string& line) {
    if (!folding_ || form_ != Form::console || line.compare(0, 1, "!") == 0) return false;
    tell(line);
    ++foldedLines_;
    if (line.compare(0, 5, "> RN ") == 0) ++foldedReads_;
    return true;
}

void Transcript::tell(const std::string& line) {
    if (listener_) listener_(prefix_ + escapeText(line));
}

// Once a line could not be written, nothing more is: a transcript with a
// hole in the middle would pass for a whole one.
void Transcript::checkStream() {
    if (out_ || failed_) return;
    failed_ = true;
    if (onFailure_) onFailure_();
}

void Transcript::write(const std::string& line) {
    if (failed_ || folds(line)) return;
    tell(line);
    flush();
    yieldStream();
    // Every text in the line escaped: one record per line, whatever a name holds.
    const std::string shown = escapeText(line);
    out_ << prefix_ << shown << '\n';
    // Each line goes out whole and at once: the console often shares its
    // terminal or log with standard error, where the script writes its debug
    // lines unbuffered, so a debug line follows the command it belongs to;
    // and a file being followed (tail -f) or a session ended by a signal
    // holds every line written so far.
    out_.flush();
    checkStream();
    if (messages_ && form_ == Form::exact && line.compare(0, 1, "!") == 0)
        *messages_ << shown << '\n' << std::flush;
}

void Transcript::flush() {
    if (run_.empty()) return;
    std::vector<Read> run;
    run.swap(run_);
    if (failed_) return;
    if (run.size() <= 2) {
        for (const Read& r : run) {
            out_ << prefix_ << escapeText("> " + r.command) << '\n';
            if (!r.answer.empty()) out_ << prefix_ << escapeText(r.answer) << '\n';
        }
        out_.flush();
        checkStream();
        return;
    }
    ReadKey last;
    readKey(run.back().command, last);
    out_ << prefix_
         << escapeText("> " + run.front().command + " ... " + std::to_string(last.index) + "  (" +
                       std::to_string(run.size()) + " reads, first " + run.front().answer + ", last " +
                       run.back().answer + ")")
         << '\n'
         << std::flush;
    checkStream();
}

void Transcript::sent(const std::string& command) {
    ReadKey key;
    if (folds("> " + command)) return;
    if (form_ == Form::console && readKey(command, key)) {
        tell("> " + command);
        if (!extendsRun(command)) flush();
        if (run_.empty()) yieldStream();
        run_.push_back(Read{command, std::string()});
        return;
    }
    write("> " + command);
}

void Transcript::reply(const std::string& text) {
    if (folds("= " + text)) return;
    if (!run_.empty() && run_.back().answer.empty()) {
        run_.back().answer = "= " + text;
        tell(run_.back().answer);
        return;
    }
    write("= " + text);
}

void Transcript::noReply() {
    if (folds("- no reply")) return;
    if (!run_.empty() && run_.back().answer.empty()) {
        run_.back().answer = "- no reply";
        tell(run_.back().answer);
        return;
    }
    write("- no reply");
}

void Transcript::delivered(const std::string& description) { write("< " + description); }

void Transcript::input(int lineNumber, const std::string& line) {
    write(inputLine(lineNumber, line));
}

void Transcript::display(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) write("| " + line);
}

void Transcript::note(const std::string& message) { write("! " + message); }

void Transcript::protocolError(const std::string& message) { write("!! protocol error: " + message); }

void Transcript::narration(const std::string& sentence) {
    if (form_ == Form::console && !folding_ && !failed_) {
        flush();
        yieldStream();
        out_ << '\n';
    }
    write(narrationLine(sentence));
}

void Transcript::beginFold() {
    flush();
    folding_ = true;
    foldedLines_ = foldedReads_ = 0;
}

void Transcript::endFold(const std::string& what) {
    if (!folding_) return;
    folding_ = false;
    if (form_ != Form::console) return;
    std::string counted = std::to_string(foldedLines_) + " lines";
    if (foldedReads_ > 0) counted += ", " + std::to_string(foldedReads_) + " of them database reads";
    // Not a line of the session: the listener, which sees the exact form, is not told.
    if (failed_) return;
    yieldStream();
    out_ << prefix_ << "* " << escapeText(what) << ": " << counted
         << ", folded (--transcript FILE keeps every line)\n"
         << std::flush;
    checkStream();
}

}  // namespace vrelhost
