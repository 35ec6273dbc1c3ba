// 32-bit mingw-w64 DLLs (DWARF-2 unwinding) only: the DLL's unwind tables are
// registered with the unwinder that reads them.
//
// gcc's runtime is linked into the DLL statically, so an exception thrown in
// it is unwound by the DLL's own copy of the unwinder, which finds a frame
// only in tables registered with that copy. The start-up code (crtbegin.o)
// registers the DLL's tables when it is loaded, but with the shared runtime
// libgcc_s_dw2-1.dll instead whenever the process has already loaded that:
// the DLL's own unwinder then knows no frame, and the first exception (out of
// memory, in a notification) ends the host instead of that notification.
// When that has happened, the tables are registered here once more, with the
// DLL's own unwinder.
//
// This file must be the first of the DLL's objects at the link: the label
// below then precedes the tables of all the DLL's code (only the start-up
// code's come before it, which no exception passes through).
#if defined(__MINGW32__) && defined(__i386__) && !defined(__SEH__) && !defined(__USING_SJLJ_EXCEPTIONS__)
#include <windows.h>

extern "C" {
// The DLL's own (static) unwinder's registry. `object` is its bookkeeping,
// which it keeps until the tables are deregistered.
void __register_frame_info(const void* tables, void* object);
void* __deregister_frame_info(const void* tables);
}

// A label at the start of this object's part of .eh_frame, which the linker
// puts first among the DLL's own objects.
__asm__(".section .eh_frame,\"dr\"\n"
        "\t.p2align 2\n"
        "kelvane_own_unwind_tables:\n"
        "\t.text\n");
extern "C" const char own_unwind_tables[] __asm__("kelvane_own_unwind_tables");

namespace {

// Room for the unwinder's `struct object` (six or seven words on 32-bit x86).
void* registration[16];
bool registered = false;

// The name crtbegin.o looks for.
constexpr char sharedRuntime[] = "libgcc_s_dw2-1.dll";

__attribute__((constructor)) void registerWithOwnUnwinder() {
    if (!GetModuleHandleA(sharedRuntime)) return;  // the start-up code registered them here already
    __register_frame_info(own_unwind_tables, registration);
    registered = true;
}

__attribute__((destructor)) void deregisterFromOwnUnwinder() {
    if (registered) __deregister_frame_info(own_unwind_tables);
}

}  // namespace
#endif
