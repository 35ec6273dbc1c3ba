#include "footprint.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "Kelvane.h"
#include "allocation_counter.h"

namespace {

// Enough panels that the per-panel share stands clear of the allocator's and
// the kernel's granularity.
constexpr int panels = 200;

double residentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

double heapInUse() { return static_cast<double>(mallinfo2().uordblks); }

}  // namespace

Footprint measureFootprint(PreparedHost& host) {
    Footprint result{};
    result.objectSize = sizeof(Kelvane);

    // One start-up to warm the caches of the standard library, then the counted one.
    vrel_destroy_script(new Kelvane(&host, ""));
    const alloc_count::Snapshot before = alloc_count::now();
    std::unique_ptr<Kelvane, vrel_script_deleter> counted(new Kelvane(&host, ""));
    const alloc_count::Snapshot after = alloc_count::now();
    result.startupAllocations = after.allocations - before.allocations;
    result.startupBytes = after.bytes - before.bytes;
    counted.reset();

    std::vector<std::unique_ptr<Kelvane, vrel_script_deleter>> started;
    started.reserve(panels);
    const double heapBefore = heapInUse();
    const double residentBefore = residentBytes();
    for (int i = 0; i < panels; ++i) started.emplace_back(new Kelvane(&host, ""));
    result.heapPerPanel = (heapInUse() - heapBefore) / panels;
    result.residentPerPanel = (residentBytes() - residentBefore) / panels;
    return result;
}
