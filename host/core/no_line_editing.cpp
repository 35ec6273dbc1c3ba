// A build without libedit: the prompt reads standard input as a stream.
#include "line_reader.h"

namespace vrelhost {

std::unique_ptr<LineReader> openTerminalReader(const std::string&, const std::string&, Completer) {
    return nullptr;
}

}  // namespace vrelhost
