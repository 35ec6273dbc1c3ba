#include "protocol_log.h"

namespace vrelhost {

void ProtocolLog::report(const std::string& message) {
    ++count_;
    transcript_.protocolError(message);
}

}  // namespace vrelhost
