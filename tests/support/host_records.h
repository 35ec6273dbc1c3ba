// The notification records the tests drive a script with: the protocol kit's
// own (host/protocol/host_records.h), under the names the suites use.
#pragma once

#include "host/protocol/host_records.h"

using vrelhost::DatabaseRecord;
using vrelhost::RevertiveRecord;
using ButtonPress = vrelhost::ButtonRecord;
