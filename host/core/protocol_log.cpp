#include "protocol_log.h"

namespace vrelhost {

void ProtocolLog::breach(const std::string& message) {
    ++count_;
    transcript_.protocolError(message);
}

void ProtocolLog::warning(const std::string& message) { transcript_.note(message); }

void ProtocolLog::refused(const std::string& message) {
    ++refusals_;
    transcript_.note(message);
}

}  // namespace vrelhost
