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
#include <cwchar>
#include <string>

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
        el_set(editor_, EL_GETCFN, &EditLineReader::readCharacter);
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
        std::string typed(text, static_cast<std::size_t>(count));
        if (!typed.empty() && typed.back() == '\n') typed.pop_back();
        // The history keeps the line as the editor holds it, so a recalled
        // line gives its kept bytes back too.
        if (typed.find_first_not_of(" \t") != std::string::npos) {
            HistEvent event;
            history(history_, &event, H_ENTER, typed.c_str());
        }
        line = withKeptBytes(typed);
        return true;
    }

private:
    static EditLineReader& of(EditLine* editor) {
        void* data = nullptr;
        el_get(editor, EL_CLIENTDATA, &data);
        return *static_cast<EditLineReader*>(data);
    }

    static char* promptOf(EditLine* editor) { return const_cast<char*>(of(editor).prompt_.c_str()); }

    // libedit's own reading drops every byte that starts no character of
    // the terminal's character set (e9 in UTF-8, where it is Latin-1's é).
    // So the characters are decoded here: such a byte becomes a character of
    // its own in a private range (keptBase + the byte), which the line takes
    // back as that very byte when it is done.
    static constexpr wchar_t keptBase = 0xF700;

    // 1: a byte; 0: the end of the input; -1: an error.
    int nextByte(unsigned char& byte) {
        if (!pending_.empty()) {
            byte = static_cast<unsigned char>(pending_.front());
            pending_.erase(pending_.begin());
            return 1;
        }
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, &byte, 1);
            if (n < 0 && errno == EINTR) continue;
            return n == 1 ? 1 : n == 0 ? 0 : -1;
        }
    }

    static int readCharacter(EditLine* editor, wchar_t* out) {
        EditLineReader& reader = of(editor);
        unsigned char lead = 0;
        const int got = reader.nextByte(lead);
        if (got != 1) return got;
        std::string bytes(1, static_cast<char>(lead));
        const std::size_t length = lead >= 0xc2 && lead <= 0xdf   ? 2
                                   : lead >= 0xe0 && lead <= 0xef ? 3
                                   : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                                  : 1;
        if (lead < 0x80 || !reader.utf8_) {
            std::mbstate_t state{};
            wchar_t decoded = 0;
            if (lead < 0x80 || std::mbrtowc(&decoded, bytes.data(), 1, &state) == 1) {
                *out = lead < 0x80 ? static_cast<wchar_t>(lead) : decoded;
                return 1;
            }
        } else {
            unsigned char next = 0;
            while (bytes.size() < length && reader.nextByte(next) == 1) {
                if ((next & 0xc0) != 0x80) {
                    reader.pending_ += static_cast<char>(next);  // the start of what comes next
                    break;
                }
                bytes += static_cast<char>(next);
            }
            std::mbstate_t state{};
            wchar_t decoded = 0;
            if (length > 1 && bytes.size() == length &&
                std::mbrtowc(&decoded, bytes.data(), length, &state) == length) {
                *out = decoded;
                return 1;
            }
            // Not a character: the lead byte is kept, the rest read again on its own.
            reader.pending_.insert(reader.pending_.begin(), bytes.begin() + 1, bytes.end());
        }
        *out = static_cast<wchar_t>(keptBase + lead);
        return 1;
    }

    // The line with every kept byte (keptBase + byte, as the character set
    // writes that character) turned back into the byte. A character of that
    // private range typed as such is taken for a kept byte too: no keyboard
    // has one.
    static std::string withKeptBytes(const std::string& line) {
        std::string out;
        std::mbstate_t state{};
        for (std::size_t i = 0; i < line.size();) {
            wchar_t c = 0;
            const std::size_t n = std::mbrtowc(&c, line.data() + i, line.size() - i, &state);
            if (n == 0 || n > line.size() - i) {
                out += line[i++];
                state = std::mbstate_t{};
                continue;
            }
            if (c >= keptBase && c <= keptBase + 0xff)
                out += static_cast<char>(c - keptBase);
            else
                out.append(line, i, n);
            i += n;
        }
        return out;
    }

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
    std::string pending_;  // bytes read ahead, to be read again
    bool utf8_ = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
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
