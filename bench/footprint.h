// What a started panel costs in memory: the heap allocations its start-up
// makes, the heap it keeps, and the resident memory it adds to the host's
// process. Measured by starting panels against the prepared host.
#pragma once

#include <cstddef>

#include "prepared_host.h"

struct Footprint {
    std::size_t objectSize;         // sizeof the panel object itself
    std::size_t startupAllocations; // operator new calls during one start-up
    std::size_t startupBytes;       // bytes those calls asked for
    double heapPerPanel;            // heap still in use per started panel (malloc's count)
    double residentPerPanel;        // resident memory per started panel (/proc/self/statm)
};

Footprint measureFootprint(PreparedHost& host);
