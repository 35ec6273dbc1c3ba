#include "host_version.h"

#include "kelvane_version.h"

namespace vrelhost {

const char* hostVersion() { return KELVANE_VERSION; }

}  // namespace vrelhost
