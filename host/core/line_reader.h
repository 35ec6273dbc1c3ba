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

// No operator line is this long; a stream without line ends (standard input
// from /dev/zero) is stopped here instead of filling the memory.
constexpr std::size_t longestLine = std::size_t{1} << 20;

class LineReader {
public:
    virtual ~LineReader() = default;
    // The next line, without its line end; false at the end of the input,
    // or when it could not be read (then failure() says why).
    virtual bool read(std::string& line) = 0;
    // Empty at the end of the input; else why the last read failed.
    virtual std::string failure() const { return std::string(); }
};

class StreamLineReader : public LineReader {
public:
    StreamLineReader(std::istream& in, std::ostream* screen, std::string prompt)
        : in_(in), screen_(screen), prompt_(std::move(prompt)) {}
    bool read(std::string& line) override;
    std::string failure() const override { return failure_; }

private:
    std::istream& in_;
    std::ostream* screen_;
    std::string prompt_;
    std::string failure_;
};

// The words that may replace the last word of `lineBeforeCursor`.
using Completer = std::function<std::vector<std::string>(const std::string& lineBeforeCursor)>;

// `name` is the program's name (for libedit's settings file, ~/.editrc).
std::unique_ptr<LineReader> openTerminalReader(const std::string& name, const std::string& prompt,
                                               Completer completer);

}  // namespace vrelhost
