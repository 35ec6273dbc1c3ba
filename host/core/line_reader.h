// LineReader: where the operator's lines come from, one at a time.
//
// StreamLineReader reads a stream (a scenario file, a pipe, a test's text)
// and, when given a screen, writes the prompt there before each line, as a
// terminal without line editing shows it. openTerminalReader gives a reader
// with line editing, history and completion (libedit) on the terminal of
// standard input, or nothing when standard input is not a terminal or the
// build has no line editing; the caller then reads the stream as before.
// Readers borrow their streams, which must outlive them. One thread.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace vrelhost {

class LineReader {
public:
    virtual ~LineReader() = default;
    // The next line, without its line end; false at the end of the input.
    virtual bool read(std::string& line) = 0;
};

class StreamLineReader : public LineReader {
public:
    StreamLineReader(std::istream& in, std::ostream* screen, std::string prompt)
        : in_(in), screen_(screen), prompt_(std::move(prompt)) {}
    bool read(std::string& line) override;

private:
    std::istream& in_;
    std::ostream* screen_;
    std::string prompt_;
};

// The words that may replace the last word of `lineBeforeCursor`.
using Completer = std::function<std::vector<std::string>(const std::string& lineBeforeCursor)>;

// `name` is the program's name (for libedit's settings file, ~/.editrc).
std::unique_ptr<LineReader> openTerminalReader(const std::string& name, const std::string& prompt,
                                               Completer completer);

}  // namespace vrelhost
