#include "line_reader.h"

namespace vrelhost {

bool StreamLineReader::read(std::string& line) {
    if (screen_) *screen_ << prompt_ << std::flush;
    line.clear();
    std::streambuf* in = in_.rdbuf();
    if (!in || !in_.good()) return false;
    for (;;) {
        const std::streambuf::int_type c = in->sbumpc();
        if (std::streambuf::traits_type::eq_int_type(c, std::streambuf::traits_type::eof())) {
            in_.setstate(std::ios::eofbit);
            return !line.empty();  // a last line without its line end still counts
        }
        if (c == '\n') return true;
        if (line.size() == longestLine) {
            failure_ = "a line longer than " + std::to_string(longestLine >> 20) +
                       " MiB, more than any operator line; is this the right input?";
            in_.setstate(std::ios::failbit);
            return false;
        }
        line.push_back(std::streambuf::traits_type::to_char_type(c));
    }
}

}  // namespace vrelhost
