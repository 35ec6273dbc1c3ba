// Transcript: the record of one session, one line per event.
//
//   > TEXT      a command text the script sent, exactly as sent
//   = TEXT      the host's reply to the query just above, exactly
//   - no reply  the host answered the query above with a null pointer
//   < ...       a notification the host delivered to the script, described
//   # N: LINE   the operator's input line N, as read
//   | ...       what the operator asked to see (show, parent answers)
//   ! ...       a message of the host (a refused press, an unknown control)
//   !! protocol error: ...   the script broke the host protocol
//   * SENTENCE  narration: a sentence of the story a scenario tells (say)
//
// Every line is one record: the texts in it are escaped as
// transcript_format.h's escapeText says, in the file, on the console and for
// the listener alike. The exact form goes to a transcript file. The console form is the same,
// except that a run of database reads of one database (RN d db 1, 2, 3 ...)
// is folded into one line, a narration line has a blank line before it, and
// a fold (beginFold .. endFold, an interactive start-up) shows only its
// messages (! and !!) and one line counting the rest. Every line is flushed as it is written. Writes
// through a stream the caller owns, which must outlive the transcript. A
// listener, when set, sees every line in the exact form as it is made (a view
// streaming the protocol log); a screen, when set, every message line. With
// several instances of the script, each has its own transcript on one
// stream, every line carrying the instance's prefix ("[2] "); the format of a
// line, the prefix included, is transcript_format.h's. One thread.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vrelhost {

class Transcript {
public:
    enum class Form { exact, console };

    Transcript(std::ostream& out, Form form) : out_(out), form_(form) {}
    ~Transcript() { flush(); }
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    void sent(const std::string& command);
    void reply(const std::string& text);
    void noReply();
    void delivered(const std::string& description);
    void input(int lineNumber, const std::string& line);
    void display(const std::string& text);
    void note(const std::string& message);
    void protocolError(const std::string& message);
    void narration(const std::string& sentence);

    // Console form only: from beginFold on, every line but the messages is
    // counted instead of shown; endFold writes one narration line saying
    // what `what` was and how many lines it held. The exact form and the
    // listener are not affected.
    void beginFold();
    void endFold(const std::string& what);

    // Writes out a folded run still held back.
    void flush();

    // Whether a line could not be written (a full disk): the transcript is
    // then incomplete, and the session must not end as a success.
    bool failed() const { return failed_; }
    // Called once, at the first line that could not be written; no line is
    // written after it.
    void onFailure(std::function<void()> hook) { onFailure_ = std::move(hook); }

    using Listener = std::function<void(const std::string& line)>;
    void listen(Listener listener) { listener_ = std::move(listener); }

    // Every line (and the listener's copy) starts with `prefix`; empty for a
    // single instance, so its transcript is as it always was.
    void setPrefix(std::string prefix) { prefix_ = std::move(prefix); }
    // Called before this transcript writes to a stream it shares: the other
    // transcripts on it write out what they hold back first, so the lines
    // stay in the order they happened.
    void beforeWriting(std::function<void()> hook) { beforeWriting_ = std::move(hook); }
    // The exact form only: every message line (! and !!) is also written to
    // `screen` as it happens, so a failed save or a warning is seen at once
    // while the transcript goes to a file. The stream is the caller's and must
    // outlive the transcript; null stops it.
    void showMessagesOn(std::ostream* screen) { messages_ = screen; }

private:
    struct Read {
        std::string command;
        std::string answer;  // the "=" or "-" line, empty until it arrives
    };
    void write(const std::string& line);
    void tell(const std::string& line);
    void checkStream();
    void yieldStream() {
        if (beforeWriting_) beforeWriting_();
    }
    bool extendsRun(const std::string& command) const;
    // True when the line is counted in a fold instead of written.
    bool folds(const std::string& line);

    std::ostream& out_;
    Form form_;
    std::vector<Read> run_;  // console form only: the database reads held back
    Listener listener_;
    std::string prefix_;
    std::function<void()> beforeWriting_;
    std::function<void()> onFailure_;
    std::ostream* messages_ = nullptr;
    bool failed_ = false;
    bool folding_ = false;
    std::size_t foldedLines_ = 0, foldedReads_ = 0;
};

}  // namespace vrelhost
