// Counts the heap allocations of the whole benchmark program.
//
// allocation_counter.cpp replaces the global operator new and delete (all
// forms but the over-aligned ones, which nothing here uses) with versions that
// count calls and bytes, then use malloc and free. Read the counters before
// and after the code of interest; they only ever grow.
#pragma once

#include <cstddef>

namespace alloc_count {

struct Snapshot {
    std::size_t allocations;
    std::size_t bytes;
};

Snapshot now();

}  // namespace alloc_count
