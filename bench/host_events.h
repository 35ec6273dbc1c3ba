// The notifications a host sends, prepared once so that a benchmark loop only
// passes pointers: the protocol kit's records (host/protocol/host_records.h),
// built in the host's layout. They allocate when constructed, never after;
// each must outlive the notify() calls that use it.
#pragma once

#include "host/protocol/host_records.h"

using RevertiveEvent = vrelhost::RevertiveRecord;
using DatabaseEvent = vrelhost::DatabaseRecord;
// Kind 2: a control operated; the host hands its event text over already split.
using ButtonEvent = vrelhost::ButtonRecord;
