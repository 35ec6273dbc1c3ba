#include "line_reader.h"

namespace vrelhost {

bool StreamLineReader::read(std::string& line) {
    if (screen_) *screen_ << prompt_ << std::flush;
    return static_cast<bool>(std::getline(in_, line));
}

}  // namespace vrelhost
