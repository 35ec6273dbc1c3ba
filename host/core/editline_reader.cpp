// The terminal reader, with libedit: emacs-style editing, a history of the
// session's lines (up and down arrows, Ctrl-R), Tab completion from the
// Completer, and whatever the user's ~/.editrc adds. libedit puts the
// terminal back into its normal mode when a signal (Ctrl-C) ends the process
// during a read, before the signal's own handler runs.
#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "completion.h"
#include "line_reader.h"

namespace vrelhost {
namespace {

constexpr int historySize = 1000;

class EditLineReader : public LineReader {
public:
    EditLineReader(const std::string& name, std::string prompt, Completer completer)
        : prompt_(std::move(prompt)), completer_(std::move(completer)) {
        HistEvent event;
        history_ = history_init();
        history(history_, &event, H_SETSIZE, historySize);
        history(history_, &event, H_SETUNIQUE, 1);
        editor_ = el_init(name.c_str(), stdin, stdout, stderr);
        el_set(editor_, EL_CLIENTDATA, this);
        el_set(editor_, EL_PROMPT, &EditLineReader::promptOf);
        el_set(editor_, EL_EDITOR, "emacs");
        el_set(editor_, EL_SIGNAL, 1);
        el_set(editor_, EL_HIST, history, history_);
        // The wide form keeps these static texts as they are; the narrow one
        // copies them, and el_end never frees the copies.
        el_wset(editor_, EL_ADDFN, L"vrel-complete", L"complete a verb, panel or control", &EditLineReader::complete);
        el_set(editor_, EL_BIND, "^I", "vrel-complete", nullptr);
        el_source(editor_, nullptr);
    }
    ~EditLineReader() override {
        el_end(editor_);
        history_end(history_);
    }
    EditLineReader(const EditLineReader&) = delete;
    EditLineReader& operator=(const EditLineReader&) = delete;

    bool read(std::string& line) override {
        int count = 0;
        const char* text = nullptr;
        do {
            errno = 0;
            text = el_gets(editor_, &count);
        } while (!text && errno == EINTR);
        if (!text || count <= 0) return false;  // Ctrl-D on an empty line, or the terminal went
        line.assign(text, static_cast<std::size_t>(count));
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) {
            HistEvent event;
            history(history_, &event, H_ENTER, line.c_str());
        }
        return true;
    }

private:
    static EditLineReader& of(EditLine* editor) {
        void* data = nullptr;
        el_get(editor, EL_CLIENTDATA, &data);
        return *static_cast<EditLineReader*>(data);
    }

    static char* promptOf(EditLine* editor) { return const_cast<char*>(of(editor).prompt_.c_str()); }

    // Tab: one match is written out with a blank after it; several are
    // written up to where they differ, or listed when they already differ
    // at the cursor.
    static unsigned char complete(EditLine* editor, int) {
        EditLineReader& reader = of(editor);
        const LineInfo* info = el_line(editor);
        const std::string before(info->buffer, static_cast<std::size_t>(info->cursor - info->buffer));
        const std::vector<std::string> found = reader.completer_(before);
        if (found.empty()) return CC_REFRESH_BEEP;
        const std::size_t blank = before.rfind(' ');
        const std::size_t typed = blank == std::string::npos ? before.size() : before.size() - blank - 1;
        if (found.size() == 1) {
            const std::string rest = found[0].substr(typed) + " ";
            return el_insertstr(editor, rest.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
        }
        const std::string prefix = commonPrefix(found);
        if (prefix.size() > typed)
            return el_insertstr(editor, prefix.substr(typed).c_str()) == 0 ? CC_REFRESH : CC_ERROR;
        std::string list = "\n";
        for (const std::string& word : found) list += word + "  ";
        list += "\n";
        std::fputs(list.c_str(), stdout);
        std::fflush(stdout);
        return CC_REDISPLAY;
    }

    std::string prompt_;
    Completer completer_;
    History* history_ = nullptr;
    EditLine* editor_ = nullptr;
};

// libedit decodes what is typed by the character set of LC_CTYPE, and drops
// every byte it cannot decode: in the "C" locale that every program starts
// in, each letter outside ASCII. So the terminal's locale is taken, and where
// that is still plain ASCII (no locale set at all), UTF-8, which is what a
// terminal sends today. Only the character type: numbers and messages stay
// as they are. Other single-byte character sets decode every byte, and libedit
// gives back the bytes it decoded.
void takeTheTerminalsCharacterSet() {
    std::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "ANSI_X3.4-1968") == 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

}  // namespace

std::unique_ptr<LineReader> openTerminalReader(const std::string& name, const std::string& prompt,
                                               Completer completer) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return nullptr;
    takeTheTerminalsCharacterSet();
    return std::make_unique<EditLineReader>(name, prompt, std::move(completer));
}

}  // namespace vrelhost
