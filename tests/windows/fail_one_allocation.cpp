// Linked into a test build of kelvane.dll only (KELVANE_FAIL_ONE_ALLOCATION,
// never shipped): the DLL's first allocation of that many bytes or more
// throws std::bad_alloc, as running out of memory would, so that a host can
// see the exception caught inside the DLL. Every other allocation is the
// ordinary one.
#include <cstdlib>
#include <new>

namespace {
bool failed_once = false;
}

void* operator new(std::size_t size) {
    if (size >= KELVANE_FAIL_ONE_ALLOCATION && !failed_once) {
        failed_once = true;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
